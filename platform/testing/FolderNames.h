// The names of the entries of a folder in sorted order, for tests that
// compare what a folder holds before and after an operation, and folder
// texts as each system spells them.
#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace plova::testkit {

// The separator this system writes between a folder and its names.
inline constexpr char kSeparatorChar = static_cast<char>(std::filesystem::path::preferred_separator);

// An absolute folder's text as this system spells it, given its Linux
// spelling: "/data/boxes/" itself on Linux, "C:\data\boxes\" on Windows,
// where a path is absolute only with its drive.
inline std::u16string SystemFolderText(std::u16string_view linuxText) {
    std::u16string text(linuxText);
    if constexpr (std::filesystem::path::preferred_separator != '/') {
        std::replace(text.begin(), text.end(), u'/', u'\\');
        if (text.starts_with(u'\\')) text.insert(0, u"C:");
    }
    return text;
}

// A folder as the main window's folder display shows it: after a blank, with
// every ":" shown as "：", the drive's on Windows too.
inline std::u16string FolderDisplayOf(const std::filesystem::path& folder) {
    std::u16string text = u" " + folder.u16string();
    std::replace(text.begin(), text.end(), u':', u'\uFF1A');
    return text;
}

inline std::vector<std::string> SortedNames(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace plova::testkit
