// What the Add and upload buttons of the response list take from its rows:
// the message number and box folder a new message goes to, the file it would
// replace, and the records to send, in list order.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "lists/ListData.h"
#include "store/FILESTS_INFO.h"

namespace plova {

struct ResponseAddTarget {
    std::filesystem::path boxFolder;  // the list's box folder; the message goes into its "outou"
    int number = 0;                   // 1..300
    // The message's voice-data file when the number has one already: the
    // user is asked before it is replaced.
    std::filesystem::path existing;
};

// The first selected row of a response list: its number and the file behind
// it. Nothing when the list is not the response list or no row is selected.
std::optional<ResponseAddTarget> ResponseAddTargetOf(const ListData& data, const std::vector<int>& selectedRows);

// The records of the selected rows in list order, for the upload.
std::vector<FILESTS_INFO> SelectedRecordsOf(const ListData& data, const std::vector<int>& selectedRows);

// The folder of the file chosen for a new message, for the file dialog to
// start in next time. Empty when it is longer than `maxLength` code units:
// a path cut short would name another folder.
std::u16string FolderToRemember(const std::filesystem::path& chosenFile, std::size_t maxLength);

}  // namespace plova
