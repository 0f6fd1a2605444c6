// What a run would fetch, found without fetching or writing anything: the
// main unit is listed, the local files are looked at, nothing is made.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "link/RemoteListing.h"

namespace plova {
class CFtpMng;
}

namespace plova::dl {

struct PlannedBox {
    std::u16string remote;              // "/rusuroku/0001"
    std::vector<listing::Entry> files;  // what would be fetched, in listing order
    [[nodiscard]] std::int64_t Bytes() const;
};

struct Plan {
    std::vector<PlannedBox> boxes;
    [[nodiscard]] std::int64_t Bytes() const;
    [[nodiscard]] std::size_t Files() const;
};

// The box directories of the main unit: "/rusuroku/NAME" for each answering
// box, then "/naisen/NAME" for each extension box. False on a failed link.
bool ListBoxDirectories(CFtpMng& ftp, std::vector<std::u16string>& remotes);

// Lists `remote` and adds it to `plan` with the messages `wanted` says would be
// fetched. False on a failed link; a directory gone from the main unit adds
// an empty box.
bool PlanBox(CFtpMng& ftp, std::u16string_view remote, listing::NameForm form,
             const std::function<bool(const listing::Entry&)>& wanted, Plan& plan);

// What a download into `boxFolder` would fetch: of every box (or of
// `remotes` when not empty), the voice data and recording information
// (kKindFull, with the system response messages when `responses`) or the
// recording information only (kKindInfo) that is not here whole.
bool PlanDownload(CFtpMng& ftp, const std::filesystem::path& boxFolder, int kind,
                  const std::vector<std::u16string>& remotes, bool responses, Plan& plan);

// The plan as lines for a person: each box with its files (name and size)
// and its total, then the total of the run.
std::vector<std::string> DescribePlan(const Plan& plan);

}  // namespace plova::dl
