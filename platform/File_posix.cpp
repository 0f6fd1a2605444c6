// The file layer over POSIX calls.
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/File.h"

namespace plova {

namespace {

bool makeBlocking(int fd) {
    const int flags = ::fcntl(fd, F_GETFL);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

int openFlags(Access access, Links links) {
    int flags = O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
    switch (access) {
    case Access::Read: flags |= O_RDONLY; break;
    case Access::ReadWrite: flags |= O_RDWR; break;
    case Access::ReadWriteCreate: flags |= O_RDWR | O_CREAT; break;
    }
    if (links == Links::Refuse) flags |= O_NOFOLLOW;
    return flags;
}

ReadResult openFailure(int error) {
    if (error == ENOENT || error == ENOTDIR) return ReadResult::Missing;
    // O_NOFOLLOW answers a link with ELOOP; a folder opened for writing gives EISDIR.
    return error == ELOOP || error == EISDIR ? ReadResult::NotRegular : ReadResult::Failed;
}

}  // namespace

void FileHandle::Close() {
    if (file_ >= 0) ::close(file_);
    file_ = kNoFile;
}

std::optional<std::uint64_t> FileHandle::Size() const {
    struct stat st {};
    if (file_ < 0 || ::fstat(file_, &st) != 0 || st.st_size < 0) return std::nullopt;
    return static_cast<std::uint64_t>(st.st_size);
}

std::optional<std::size_t> FileHandle::ReadAt(std::uint64_t offset, void* out, std::size_t size) const {
    std::size_t got = 0;
    auto* p = static_cast<char*>(out);
    while (got < size) {
        const ssize_t n = ::pread(file_, p + got, size - got, static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::nullopt;
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    return got;
}

bool FileHandle::WriteAll(const void* data, std::size_t size) {
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(file_, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool WriteAllAt(NativeFile file, std::uint64_t offset, const void* data, std::size_t size) {
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::pwrite(file, p, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        offset += static_cast<std::uint64_t>(n);
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool FileHandle::Sync() {
    return file_ >= 0 && ::fsync(file_) == 0;
}

bool FileHandle::Resize(std::uint64_t size) {
    return file_ >= 0 && ::ftruncate(file_, static_cast<off_t>(size)) == 0;
}

bool FileHandle::CloseChecked() {
    return file_ >= 0 && ::close(Release()) == 0;
}

bool FileHandle::SetPermissions(unsigned mode) {
    return file_ >= 0 && ::fchmod(file_, static_cast<mode_t>(mode)) == 0;
}

unsigned UsualFileMode() {
    // The mask can only be read by setting it; it is put back at once.
    static const unsigned mode = [] {
        const mode_t mask = ::umask(022);
        ::umask(mask);
        return 0666u & ~static_cast<unsigned>(mask);
    }();
    return mode;
}

bool SetModeFor(FileHandle& file, const std::filesystem::path& target, NewFileMode mode) {
    // Whatever else stands under the name (a link, a device, a pipe) is
    // replaced and lends nothing: a link to /dev/zero would give 0666.
    struct stat st {};
    mode_t perms = static_cast<mode_t>(UsualFileMode());
    if (mode == NewFileMode::OwnerOnly) {
        perms = 0600;
    } else if (::lstat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        perms = st.st_mode & 07777;
    }
    return file.SetPermissions(perms);
}

FileHandle OpenRegularFile(const std::filesystem::path& path, Access access, Links links, ReadResult* why) {
    // O_NONBLOCK keeps the open of a pipe with no writer from waiting forever;
    // the descriptor goes back to blocking once it is known to be a file.
    FileHandle f(::open(path.c_str(), openFlags(access, links), 0666));
    ReadResult result = ReadResult::Ok;
    struct stat st {};
    if (!f) {
        result = openFailure(errno);
    } else if (const bool looked = ::fstat(f.Fd(), &st) == 0; looked && !S_ISREG(st.st_mode)) {
        result = ReadResult::NotRegular;
    } else if (!looked || !makeBlocking(f.Fd())) {
        result = ReadResult::Failed;
    }
    if (result != ReadResult::Ok) f.Close();
    if (why) *why = result;
    return f;
}

FileHandle OpenForRewrite(const std::filesystem::path& path) {
    FileHandle f = OpenRegularFile(path, Access::ReadWriteCreate, Links::Refuse);
    struct stat st {};
    if (f && (::fstat(f.Fd(), &st) != 0 || st.st_nlink > 1 || !f.Resize(0))) f.Close();
    return f;
}

FileHandle OpenForAppend(const std::filesystem::path& path) {
    FileHandle f(
        ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0600));
    struct stat st {};
    if (f && (::fstat(f.Fd(), &st) != 0 || !S_ISREG(st.st_mode) || !makeBlocking(f.Fd()))) f.Close();
    return f;
}

bool AppendAll(FileHandle& file, std::string_view bytes) {
    // O_APPEND puts every write at the end the file has at that moment.
    return file.WriteAll(bytes.data(), bytes.size());
}

FilePtr StreamOf(FileHandle&& handle, const char* mode) {
    if (!handle) return nullptr;
    FilePtr stream(::fdopen(handle.Fd(), mode));
    if (stream) handle.Release();
    return stream;
}

FileHandle CreateNewFile(const std::filesystem::path& path) {
    return FileHandle(::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
}

bool RenameReplacing(const std::filesystem::path& from, const std::filesystem::path& to) {
    return ::rename(from.c_str(), to.c_str()) == 0;
}

bool RenameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // A file system without the flag: a second name, then the first one goes.
    if (::link(from.c_str(), to.c_str()) != 0) return false;
    RemoveFileOrLink(from);
    return true;
}

bool MakeHardLink(const std::filesystem::path& existing, const std::filesystem::path& link) {
    return ::link(existing.c_str(), link.c_str()) == 0;
}

bool RemoveFileOrLink(const std::filesystem::path& file) {
    return ::unlink(file.c_str()) == 0 || errno == ENOENT;
}

bool RemoveFolderTree(const std::filesystem::path& folder) {
    if (EntryType(folder) != std::filesystem::file_type::directory) return false;
    // remove_all takes a link inside as a link here: nothing outside is touched.
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    return !ec;
}

std::filesystem::path AbsolutePath(const std::filesystem::path& path) {
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    return ec ? path : absolute;
}

std::filesystem::file_type EntryType(const std::filesystem::path& path) {
    std::error_code ec;
    return std::filesystem::symlink_status(path, ec).type();
}

FileError LastFileError() {
    return FileErrorOf(errno);
}

int LastSystemError() {
    return errno;
}

void ClearSystemError() {
    errno = 0;
}

FileError FileErrorOf(const std::error_code& ec) {
    // Both categories carry errno numbers here.
    return ec ? FileErrorOf(ec.value()) : FileError::None;
}

FileError FileErrorOf(int error) {
    switch (error) {
    case 0: return FileError::None;
    case ENOENT:
    case ENOTDIR: return FileError::Missing;
    case EEXIST: return FileError::Exists;
    case ENOSPC:
    case EDQUOT: return FileError::NoSpace;
    case EBUSY:
    case ETXTBSY: return FileError::InUse;
    case EACCES:
    case EPERM:
    case EROFS: return FileError::Denied;
    default: return FileError::Other;
    }
}

std::string SystemErrorText(int error) {
    return std::strerror(error);
}

long CurrentProcessId() {
    return static_cast<long>(::getpid());
}

bool ProcessRunning(long pid) {
    if (pid <= 0) return false;
    // EPERM: it runs, under another user.
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

}  // namespace plova
