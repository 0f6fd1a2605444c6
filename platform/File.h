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
#include <system_error>

namespace plova {

// The system's own handle of an open file: a descriptor on Linux, a HANDLE on
// Windows (kept as a number there, so that no system header comes with this one).
#if defined(_WIN32)
using NativeFile = std::intptr_t;
#else
using NativeFile = int;
#endif
inline constexpr NativeFile kNoFile = -1;

// An open file, closed when the handle goes.
class FileHandle {
public:
    FileHandle() = default;
    explicit FileHandle(NativeFile file) : file_(file) {}
    ~FileHandle() { Close(); }
    FileHandle(FileHandle&& other) noexcept : file_(other.Release()) {}
    FileHandle& operator=(FileHandle&& other) noexcept;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    [[nodiscard]] bool IsOpen() const { return file_ != kNoFile; }
    explicit operator bool() const { return IsOpen(); }
    [[nodiscard]] NativeFile Native() const { return file_; }
#if !defined(_WIN32)
    // The descriptor itself, for code that still makes system calls of its own.
    [[nodiscard]] int Fd() const {
        return file_;
    }
#endif
    NativeFile Release();
    void Close();

    // The size of the file now; nothing when it cannot be told.
    [[nodiscard]] std::optional<std::uint64_t> Size() const;
    // Up to `size` bytes from `offset`, fewer only at the end of the file;
    // nothing on a read error. The file position stays where it was.
    std::optional<std::size_t> ReadAt(std::uint64_t offset, void* out, std::size_t size) const;
    // Every byte at the file position, or false.
    bool WriteAll(const void* data, std::size_t size);
    // Every byte at `offset`, leaving the file position where it was, or false.
    bool WriteAllAt(std::uint64_t offset, const void* data, std::size_t size);
    // Everything written so far, on the disk itself.
    bool Sync();
    // Cuts the file (or lengthens it with zeros) to `size` bytes.
    bool Resize(std::uint64_t size);
    // Closes the file; false when the system reports an error on closing
    // (a write that could not be completed) or nothing was open.
    bool CloseChecked();
    // POSIX permission bits; Windows files take their access rules from their
    // folder, and there this does nothing but say whether a file is open.
    bool SetPermissions(unsigned mode);

private:
    NativeFile file_ = kNoFile;
};

// Every byte at `offset` of an open file, or false.
bool WriteAllAt(NativeFile file, std::uint64_t offset, const void* data, std::size_t size);

// The permissions a new file gets from the process's file mode mask (0666 on
// Windows, where a file is writable unless marked read-only).
unsigned UsualFileMode();

enum class NewFileMode {
    Default,    // a new file gets the usual permissions; a replaced file keeps its own
    OwnerOnly,  // readable and writable by the owner only, new or replaced
};

// Gives `file`, new and about to take the name `target`, the access it is to
// have there: with OwnerOnly its owner's alone (on Windows an access list
// naming the owner only); else that of a regular file at `target` now (its
// permissions; on Windows its hidden and system marks), else the usual for a
// new file. Anything else under the name (a link, a device) lends nothing.
bool SetModeFor(FileHandle& file, const std::filesystem::path& target, NewFileMode mode);

enum class Access {
    Read,
    ReadWrite,        // an existing regular file
    ReadWriteCreate,  // the same, or a new file when none exists
};

enum class Links {
    Follow,
    Refuse,  // a symbolic link (on Windows also a junction) as the last component is not opened
};

enum class [[nodiscard]] ReadResult{
    Ok,
    Missing,     // nothing of that name
    NotRegular,  // a folder, pipe, device, a refused link, a name Windows cannot hold
    TooLarge,    // more than the caller's limit
    Failed,      // no permission, a read error
};

// Opens a regular file without ever blocking: a pipe, socket or device under
// the name gives a closed handle, as does a link when links are refused. On
// Windows a file another program holds open without sharing it is tried again
// for about two seconds before the open fails. `why`, when given, says why
// nothing was opened (Ok when something was).
FileHandle OpenRegularFile(const std::filesystem::path& path, Access access, Links links = Links::Follow,
                           ReadResult* why = nullptr);

// Opens a file to be written from scratch: creates it when missing, else
// empties it. Refuses a link, a pipe or device, and a file with a second name
// (whose other name would lose its content too).
FileHandle OpenForRewrite(const std::filesystem::path& path);

// Opens a regular file to add lines at its end, creating it (readable by its
// owner only) when missing. A link, a pipe or a device under the name is
// refused. Several processes may append to the file at once: each
// AppendAll lands whole at the end as it stands then, never over another's.
FileHandle OpenForAppend(const std::filesystem::path& path);
// Every byte at the end of a file opened by OpenForAppend, or false.
bool AppendAll(FileHandle& file, std::string_view bytes);

// A standard stream over a file, for the readers and writers that want one.
struct FileCloser {
    void operator()(std::FILE* f) const {
        if (f) std::fclose(f);
    }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// The stream of an open handle ("rb", "r+b", "wb", "ab"…), which then owns it.
FilePtr StreamOf(FileHandle&& handle, const char* mode);
// openRegularFile, as a stream.
FilePtr OpenFileStream(const std::filesystem::path& path, Access access, Links links = Links::Follow);

// The whole file into `out` when it is at most `maxBytes` long (also when it
// grows while being read: the limit holds for what is read).
ReadResult ReadWholeFile(const std::filesystem::path& path, std::string& out, std::uint64_t maxBytes,
                         Links links = Links::Follow);

// Up to `size` bytes from `offset` into `out` (fewer only at the end of the
// file). False when the file cannot be opened or read.
bool ReadRange(const std::filesystem::path& path, std::uint64_t offset, std::size_t size, std::string& out,
               Links links = Links::Follow);

// Names changing hands. Each is one step of the file system: a reader finds
// the old state or the new one, never a mixture. On Windows a file held open
// by another program (a player, an indexer, a virus scanner) is tried again
// for about two seconds; then the operation fails and nothing has changed.

// `from` takes the name `to`, replacing the file or link that bears it (never
// what a link points to); on Windows written through to the disk.
bool RenameReplacing(const std::filesystem::path& from, const std::filesystem::path& to);
// `from` takes the name `to` unless something bears that name already.
bool RenameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to);
// A second name `link` for the file `existing`; false where the file system
// has no such thing (FAT, many shares), so the caller copies instead.
bool MakeHardLink(const std::filesystem::path& existing, const std::filesystem::path& link);
// Removes a file or a link, never a folder. True when nothing bears the name afterwards.
bool RemoveFileOrLink(const std::filesystem::path& file);

// Removes a folder with everything in it. A link or junction inside goes as
// a link: what it leads to stays. False when `folder` is no folder (a link
// to one included) or something in it could not be removed.
bool RemoveFolderTree(const std::filesystem::path& folder);

// `path` made absolute as the system reads it. On Windows a share
// ("\\server\share\…") stays a share: std::filesystem::absolute of MinGW's
// GCC 12 takes it for a folder on the current drive.
std::filesystem::path AbsolutePath(const std::filesystem::path& path);

// What bears the name, a link seen as a link (on Windows std::filesystem sees
// through links and junctions); not_found when nothing does.
std::filesystem::file_type EntryType(const std::filesystem::path& path);

// Why the last of these calls (or an open) failed on this thread, as far as
// the program acts on it.
enum class FileError {
    None,
    Missing,  // no such file or folder
    Exists,   // the name is taken
    NoSpace,  // the disk or the user's quota is full
    InUse,    // another program holds the file
    Denied,   // no permission, a read-only file
    Other,
};
FileError LastFileError();

// The system's error number of the last failed call on this thread (errno on
// Linux, GetLastError() on Windows), what it means to the program, and its
// clearing before a call whose failure may come without one (a name the file
// layer refuses by itself): then it stays 0.
int LastSystemError();
FileError FileErrorOf(int error);
void ClearSystemError();
// What an error of std::filesystem means to the program.
FileError FileErrorOf(const std::error_code& ec);

// The system's words for one of its error numbers (errno on Linux, a
// GetLastError code on Windows), in UTF-8.
std::string SystemErrorText(int error);

// The start of every temporary file's name: hidden, and borne by no message
// or settings file. Stale files under it are swept at start-up.
constexpr std::string_view kTempFilePrefix = ".plova-tmp-";

// A new, empty file at `path`, created exclusively: an existing file, link or
// pipe of that name is never opened (the failure is FileError::Exists). Only
// its owner may read it (on Windows it takes its folder's access rules) until
// setModeFor says otherwise.
FileHandle CreateNewFile(const std::filesystem::path& path);

// A new, empty file under a hidden name of its own in `folder`, created
// exclusively: an existing file, link or pipe of that name is never opened.
// The name is kTempFilePrefix, random letters nobody can guess, then `suffix`.
struct TempFile {
    FileHandle handle;
    std::filesystem::path path;
};
std::optional<TempFile> CreateTempFile(const std::filesystem::path& folder, std::string_view suffix = {});

// Such a name in `folder` with nothing under it now, for a file that another
// layer creates itself, exclusively (it fails rather than open what may have
// appeared meanwhile). Empty when no free name is found.
std::filesystem::path NewTempPath(const std::filesystem::path& folder, std::string_view suffix = {});

// The number of this process, and whether a process of that number runs on
// this machine now: files named after the run that writes them can be told
// from those of a run that is gone.
long CurrentProcessId();
bool ProcessRunning(long pid);

// Removes from `folder` (not below it) the regular files under such hidden
// names that were last written more than `age` ago: what a process killed
// while writing left behind. A temporary file is never the only copy of
// anything, so nothing is lost. Links, folders and every other name stay.
// The number of files removed.
int RemoveStaleTempFiles(const std::filesystem::path& folder, std::chrono::seconds age);

// The same for folders under such names (scratch folders of killed runs),
// removed with everything in them; a link under such a name stays. The
// number of folders removed.
int RemoveStaleTempFolders(const std::filesystem::path& folder, std::chrono::seconds age);

}  // namespace plova
