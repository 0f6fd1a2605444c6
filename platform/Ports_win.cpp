#include <windows.h>

#include <algorithm>
#include <string>
#include <string_view>

#include "platform/Ports.h"
#include "platform/Win32.h"

namespace plova {

namespace {

// Where the long form of a path has its root: after "\\?\C:\", or after the
// share of "\\?\UNC\server\share\". Nothing above it is asked.
std::size_t rootLength(const std::wstring& path) {
    constexpr std::wstring_view kUnc = LR"(\\?\UNC\)";
    constexpr std::size_t kDriveRoot = 7;  // the length of the drive's own "\\?\C:\" form
    if (!path.starts_with(kUnc)) return std::min(path.size(), kDriveRoot);
    const std::size_t server = path.find(L'\\', kUnc.size());
    const std::size_t share = server == std::wstring::npos ? server : path.find(L'\\', server + 1);
    return share == std::wstring::npos ? path.size() : share + 1;
}

}  // namespace

std::uint64_t FreeBytesAt(const std::filesystem::path& target) {
    // The folder itself, not the drive its first three characters would name:
    // a share has none. A folder name for it ends in a separator.
    std::wstring folder = win::LongPath(target.empty() ? std::filesystem::path(L".") : target);
    const std::size_t root = rootLength(folder);
    for (;;) {
        const DWORD attributes = GetFileAttributesW(folder.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) break;
        // Missing, or a file: the folder above it, never above the root.
        const std::size_t cut = folder.find_last_of(L'\\', folder.size() - 2);
        if (cut == std::wstring::npos || cut + 1 < root || folder.size() <= root) return 0;
        folder.resize(cut + 1);
    }
    if (folder.back() != L'\\') folder += L'\\';
    ULARGE_INTEGER available{};
    return GetDiskFreeSpaceExW(folder.c_str(), &available, nullptr, nullptr) ? available.QuadPart : 0;
}

std::tm LocalCalendarTime(std::time_t t) {
    std::tm tm{};
    localtime_s(&tm, &t);
    return tm;
}

}  // namespace plova
