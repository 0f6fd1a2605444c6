// What the file layer does alike on every system; the system calls are in
// File_posix.cpp and File_win.cpp.
#include "platform/File.h"

#include <random>
#include <vector>

namespace plova {

namespace {

constexpr std::size_t kReadChunk = std::size_t{64} * 1024;
constexpr int kTempAttempts = 100;
constexpr std::string_view kTempLetters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
constexpr std::size_t kTempSuffixLength = 10;

// Letters from the system's random source: a name that others can neither
// guess nor work out from the names they have seen, so nobody can put a pipe
// or a link in its place before it is made.
std::string tempSuffix() {
    thread_local std::random_device random;
    std::string s;
    for (std::size_t i = 0; i < kTempSuffixLength; ++i) s += kTempLetters[random() % kTempLetters.size()];
    return s;
}

std::filesystem::path newTempName(const std::filesystem::path& folder, std::string_view suffix) {
    return folder / (std::string(kTempFilePrefix) + tempSuffix() + std::string(suffix));
}

// Compared in the name's own characters: a name that is not valid in any
// encoding (bytes that are no UTF-8, a lone surrogate on Windows) is still
// looked at, never converted.
bool hasTempPrefix(const std::filesystem::path& name) {
    const auto& native = name.native();
    if (native.size() < kTempFilePrefix.size()) return false;
    for (std::size_t i = 0; i < kTempFilePrefix.size(); ++i)
        if (native[i] != static_cast<std::filesystem::path::value_type>(kTempFilePrefix[i])) return false;
    return true;
}

}  // namespace

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
    if (this != &other) {
        Close();
        file_ = other.Release();
    }
    return *this;
}

NativeFile FileHandle::Release() {
    const NativeFile file = file_;
    file_ = kNoFile;
    return file;
}

bool FileHandle::WriteAllAt(std::uint64_t offset, const void* data, std::size_t size) {
    return plova::WriteAllAt(file_, offset, data, size);
}

FilePtr OpenFileStream(const std::filesystem::path& path, Access access, Links links) {
    const char* mode = access == Access::Read ? "rb" : "r+b";
    return StreamOf(OpenRegularFile(path, access, links), mode);
}

ReadResult ReadWholeFile(const std::filesystem::path& path, std::string& out, std::uint64_t maxBytes, Links links) {
    out.clear();
    ReadResult why = ReadResult::Ok;
    const FileHandle f = OpenRegularFile(path, Access::Read, links, &why);
    if (!f) return why;
    const std::optional<std::uint64_t> size = f.Size();
    if (!size) return ReadResult::Failed;
    if (*size > maxBytes) return ReadResult::TooLarge;
    out.reserve(static_cast<std::size_t>(*size));
    // Read to the real end: a file that grew since its size was taken is read
    // to its new end, but never beyond the limit.
    std::vector<char> chunk(kReadChunk);
    for (;;) {
        const auto n = f.ReadAt(out.size(), chunk.data(), chunk.size());
        if (!n) {
            out.clear();
            return ReadResult::Failed;
        }
        if (*n == 0) return ReadResult::Ok;
        if (out.size() + *n > maxBytes) {
            out.clear();
            return ReadResult::TooLarge;
        }
        out.append(chunk.data(), *n);
    }
}

bool ReadRange(const std::filesystem::path& path, std::uint64_t offset, std::size_t size, std::string& out,
               Links links) {
    out.clear();
    const FileHandle f = OpenRegularFile(path, Access::Read, links);
    if (!f) return false;
    out.resize(size);
    const auto got = f.ReadAt(offset, out.data(), size);
    out.resize(got ? *got : 0);
    return got.has_value();
}

std::filesystem::path NewTempPath(const std::filesystem::path& folder, std::string_view suffix) {
    for (int attempt = 0; attempt < kTempAttempts; ++attempt) {
        std::filesystem::path path = newTempName(folder, suffix);
        if (EntryType(path) == std::filesystem::file_type::not_found) return path;
    }
    return {};
}

std::optional<TempFile> CreateTempFile(const std::filesystem::path& folder, std::string_view suffix) {
    for (int attempt = 0; attempt < kTempAttempts; ++attempt) {
        std::filesystem::path path = newTempName(folder, suffix);
        FileHandle f = CreateNewFile(path);
        if (f) return TempFile{std::move(f), std::move(path)};
        if (LastFileError() != FileError::Exists) return std::nullopt;
    }
    return std::nullopt;
}

namespace {

// The entries of `folder` under temporary names, of `type` as they are (a
// link under such a name is not ours and stays), last written before `age` ago.
std::vector<std::filesystem::path> staleTempEntries(const std::filesystem::path& folder, std::chrono::seconds age,
                                                    std::filesystem::file_type type) {
    namespace fs = std::filesystem;
    const fs::file_time_type cutoff = fs::file_time_type::clock::now() - age;
    std::vector<fs::path> stale;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (!hasTempPrefix(it->path().filename())) continue;
        if (EntryType(it->path()) != type) continue;
        std::error_code e;
        const fs::file_time_type written = fs::last_write_time(it->path(), e);
        if (!e && written < cutoff) stale.push_back(it->path());
    }
    return stale;
}

}  // namespace

int RemoveStaleTempFiles(const std::filesystem::path& folder, std::chrono::seconds age) {
    int removed = 0;
    for (const auto& p : staleTempEntries(folder, age, std::filesystem::file_type::regular))
        if (RemoveFileOrLink(p)) ++removed;
    return removed;
}

int RemoveStaleTempFolders(const std::filesystem::path& folder, std::chrono::seconds age) {
    int removed = 0;
    for (const auto& p : staleTempEntries(folder, age, std::filesystem::file_type::directory))
        if (RemoveFolderTree(p)) ++removed;
    return removed;
}

}  // namespace plova
