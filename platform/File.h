// The one place where files are opened. A file name in a box folder or a
// settings path can name anything: a pipe whose open never returns, a device
// that never ends, a link to a file the user cares about. Every open here is
// therefore non-blocking, takes regular files only and, where the caller asks,
// refuses to follow a link; reads are bounded by the caller's limit; new files
// are created exclusively under a fresh name, never by opening an existing one.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace plova {

// An open file descriptor, closed when the handle goes.
class FileHandle {
public:
    FileHandle() = default;
    explicit FileHandle(int fd) : fd_(fd) {}
    ~FileHandle() { close(); }
    FileHandle(FileHandle&& other) noexcept : fd_(other.release()) {}
    FileHandle& operator=(FileHandle&& other) noexcept;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    explicit operator bool() const { return isOpen(); }
    int fd() const { return fd_; }
    int release();
    void close();

    // The size of the file now; nothing when it cannot be told.
    std::optional<std::uint64_t> size() const;
    // Up to `size` bytes from `offset`, fewer only at the end of the file;
    // nothing on a read error.
    std::optional<std::size_t> readAt(std::uint64_t offset, void* out, std::size_t size) const;
    // Every byte, or false.
    bool writeAll(const void* data, std::size_t size);
    // Every byte at `offset`, leaving the file position where it was, or false.
    bool writeAllAt(std::uint64_t offset, const void* data, std::size_t size);
    // Closes the descriptor; false when the system reports an error on closing
    // (a write that could not be completed) or nothing was open.
    bool closeChecked();
    bool setPermissions(unsigned mode);

private:
    int fd_ = -1;
};

// Every byte at `offset` of an open descriptor, or false.
bool writeAllAt(int fd, std::uint64_t offset, const void* data, std::size_t size);

// The permissions a new file gets from the process's file mode mask.
unsigned usualFileMode();

enum class Access {
    Read,
    ReadWrite,        // an existing regular file
    ReadWriteCreate,  // the same, or a new file when none exists
};

enum class Links {
    Follow,
    Refuse,  // a symbolic link as the last component is not opened
};

// Opens a regular file without ever blocking: a pipe, socket or device under
// the name gives a closed handle, as does a link when links are refused.
FileHandle openRegularFile(const char* path, Access access, Links links = Links::Follow);
FileHandle openRegularFile(const std::filesystem::path& path, Access access, Links links = Links::Follow);

// Opens a file to be written from scratch: creates it when missing, else
// empties it. Refuses a link, a pipe or device, and a file with a second name
// (whose other name would lose its content too).
FileHandle openForRewrite(const std::filesystem::path& path);

// A standard stream over a file, for the readers and writers that want one.
struct FileCloser {
    void operator()(std::FILE* f) const {
        if (f) std::fclose(f);
    }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// The stream of an open handle ("rb", "r+b", "wb"…), which then owns it.
FilePtr streamOf(FileHandle&& handle, const char* mode);
// openRegularFile, as a stream.
FilePtr openFileStream(const std::filesystem::path& path, Access access, Links links = Links::Follow);

enum class ReadResult {
    Ok,
    Missing,     // nothing of that name
    NotRegular,  // a folder, pipe, device, or a refused link
    TooLarge,    // more than the caller's limit
    Failed,      // no permission, a read error
};

// The whole file into `out` when it is at most `maxBytes` long (also when it
// grows while being read: the limit holds for what is read).
ReadResult readWholeFile(const std::filesystem::path& path, std::string& out, std::uint64_t maxBytes,
                         Links links = Links::Follow);

// Up to `size` bytes from `offset` into `out` (fewer only at the end of the
// file). False when the file cannot be opened or read.
bool readRange(const std::filesystem::path& path, std::uint64_t offset, std::size_t size, std::string& out,
               Links links = Links::Follow);

// The start of every temporary file's name: hidden, and borne by no message
// or settings file. Stale files under it are swept at start-up.
constexpr std::string_view kTempFilePrefix = ".plova-tmp-";

// A new, empty file under a hidden name of its own in `folder`, created
// exclusively: an existing file, link or pipe of that name is never opened.
// The name is kTempFilePrefix, random letters nobody can guess, then `suffix`.
struct TempFile {
    FileHandle handle;
    std::filesystem::path path;
};
std::optional<TempFile> createTempFile(const std::filesystem::path& folder, std::string_view suffix = {});

// Such a name in `folder` with nothing under it now, for a file that another
// layer creates itself, exclusively (it fails rather than open what may have
// appeared meanwhile). Empty when no free name is found.
std::filesystem::path newTempPath(const std::filesystem::path& folder, std::string_view suffix = {});

// The number of this process, and whether a process of that number runs on
// this machine now: files named after the run that writes them can be told
// from those of a run that is gone.
long currentProcessId();
bool processRunning(long pid);

// Removes from `folder` (not below it) the regular files under such hidden
// names that were last written more than `age` ago: what a process killed
// while writing left behind. A temporary file is never the only copy of
// anything, so nothing is lost. Links, folders and every other name stay.
// The number of files removed.
int removeStaleTempFiles(const std::filesystem::path& folder, std::chrono::seconds age);

// The same for folders under such names (scratch folders of killed runs),
// removed with everything in them; a link under such a name stays. The
// number of folders removed.
int removeStaleTempFolders(const std::filesystem::path& folder, std::chrono::seconds age);

}  // namespace plova
