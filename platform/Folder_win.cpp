// Folder listings, folder syncs and file copies over the Win32 calls.
#include <windows.h>

#include "platform/Folder.h"
#include "platform/Win32.h"

namespace plova {

namespace {

// FILETIME counts 100 ns steps from 1601; the system clock counts from 1970.
constexpr std::uint64_t kFileTimeAt1970 = 116444736000000000ULL;

std::chrono::system_clock::time_point timeOf(const FILETIME& t) {
    const std::uint64_t ticks = (std::uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime;
    const auto since1970 = std::chrono::duration<std::int64_t, std::ratio<1, 10000000>>(
        static_cast<std::int64_t>(ticks) - static_cast<std::int64_t>(kFileTimeAt1970));
    return std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(since1970));
}

std::filesystem::file_type typeOf(const WIN32_FIND_DATAW& found) {
    using std::filesystem::file_type;
    // A symbolic link or junction (a name surrogate) is a link; any other
    // reparse point (a file of a cloud folder) holds the file itself.
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && IsReparseTagNameSurrogate(found.dwReserved0))
        return file_type::symlink;
    return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? file_type::directory : file_type::regular;
}

class Search {
public:
    explicit Search(HANDLE h) : h_(h) {}
    ~Search() {
        if (h_ != INVALID_HANDLE_VALUE) FindClose(h_);
    }
    Search(const Search&) = delete;
    Search& operator=(const Search&) = delete;
    HANDLE Get() const { return h_; }

private:
    HANDLE h_;
};

}  // namespace

std::optional<std::vector<FolderEntry>> ListFolder(const std::filesystem::path& folder, Links links) {
    if (links == Links::Refuse && EntryType(folder) != std::filesystem::file_type::directory) return std::nullopt;
    std::wstring pattern = win::LongPath(folder);
    if (pattern.empty() || pattern.back() != L'\\') pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW found{};
    const Search search(FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                                         FIND_FIRST_EX_LARGE_FETCH));
    std::vector<FolderEntry> out;
    if (search.Get() == INVALID_HANDLE_VALUE) {
        // A drive's root holds no "." and "..": empty, it finds nothing at all.
        if (GetLastError() == ERROR_FILE_NOT_FOUND) return out;
        return std::nullopt;
    }
    do {
        const std::wstring_view name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        FolderEntry& e = out.emplace_back();
        e.name = std::filesystem::path(std::wstring(name));
        e.type = typeOf(found);
        if (e.type == std::filesystem::file_type::regular)
            e.size = (std::uint64_t{found.nFileSizeHigh} << 32) | found.nFileSizeLow;
        e.written = timeOf(found.ftLastWriteTime);
    } while (FindNextFileW(search.Get(), &found));
    if (GetLastError() != ERROR_NO_MORE_FILES) return std::nullopt;
    return out;
}

bool SyncFolder(const std::filesystem::path& folder) {
    // Nothing to flush: NTFS journals its folders' entries, and every rename
    // here goes through MoveFileExW with MOVEFILE_WRITE_THROUGH, which returns
    // only once the new name is on the disk.
    return EntryType(folder) == std::filesystem::file_type::directory;
}

bool CopyContents(const FileHandle& from, FileHandle& to) {
    return detail::CopyByReading(from, 0, to);
}

}  // namespace plova
