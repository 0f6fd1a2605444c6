#include "platform/File.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>
#include <vector>

namespace plova {

namespace {

constexpr std::size_t kReadChunk = 64 * 1024;
constexpr int kTempAttempts = 100;
constexpr std::string_view kTempLetters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
constexpr std::size_t kTempSuffixLength = 10;

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

// Letters from the system's random source: a name that others can neither
// guess nor work out from the names they have seen, so nobody can put a pipe
// or a link in its place before it is made.
std::string tempSuffix() {
    thread_local std::random_device random;
    std::string s;
    for (std::size_t i = 0; i < kTempSuffixLength; ++i) s += kTempLetters[random() % kTempLetters.size()];
    return s;
}

}  // namespace

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = other.release();
    }
    return *this;
}

int FileHandle::release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

void FileHandle::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

std::optional<std::uint64_t> FileHandle::size() const {
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0 || st.st_size < 0) return std::nullopt;
    return static_cast<std::uint64_t>(st.st_size);
}

std::optional<std::size_t> FileHandle::readAt(std::uint64_t offset, void* out, std::size_t size) const {
    std::size_t got = 0;
    auto* p = static_cast<char*>(out);
    while (got < size) {
        const ssize_t n = ::pread(fd_, p + got, size - got, static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::nullopt;
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    return got;
}

bool FileHandle::writeAll(const void* data, std::size_t size) {
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd_, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool FileHandle::writeAllAt(std::uint64_t offset, const void* data, std::size_t size) {
    return plova::writeAllAt(fd_, offset, data, size);
}

bool writeAllAt(int fd, std::uint64_t offset, const void* data, std::size_t size) {
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, p, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        offset += static_cast<std::uint64_t>(n);
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool FileHandle::closeChecked() {
    return fd_ >= 0 && ::close(release()) == 0;
}

bool FileHandle::setPermissions(unsigned mode) {
    return fd_ >= 0 && ::fchmod(fd_, static_cast<mode_t>(mode)) == 0;
}

unsigned usualFileMode() {
    // The mask can only be read by setting it; it is put back at once.
    static const unsigned mode = [] {
        const mode_t mask = ::umask(022);
        ::umask(mask);
        return 0666u & ~static_cast<unsigned>(mask);
    }();
    return mode;
}

FileHandle openRegularFile(const std::filesystem::path& path, Access access, Links links) {
    return openRegularFile(path.c_str(), access, links);
}

FileHandle openRegularFile(const char* path, Access access, Links links) {
    // O_NONBLOCK keeps the open of a pipe with no writer from waiting forever;
    // the descriptor goes back to blocking once it is known to be a file.
    FileHandle f(::open(path, openFlags(access, links), 0666));
    if (!f) return f;
    struct stat st {};
    const int flags = ::fcntl(f.fd(), F_GETFL);
    if (::fstat(f.fd(), &st) != 0 || !S_ISREG(st.st_mode) || flags < 0 ||
        ::fcntl(f.fd(), F_SETFL, flags & ~O_NONBLOCK) != 0)
        f.close();
    return f;
}

FileHandle openForRewrite(const std::filesystem::path& path) {
    FileHandle f = openRegularFile(path, Access::ReadWriteCreate, Links::Refuse);
    struct stat st {};
    if (f && (::fstat(f.fd(), &st) != 0 || st.st_nlink > 1 || ::ftruncate(f.fd(), 0) != 0)) f.close();
    return f;
}

FilePtr streamOf(FileHandle&& handle, const char* mode) {
    if (!handle) return nullptr;
    FilePtr stream(::fdopen(handle.fd(), mode));
    if (stream) handle.release();
    return stream;
}

FilePtr openFileStream(const std::filesystem::path& path, Access access, Links links) {
    const char* mode = access == Access::Read ? "rb" : "r+b";
    return streamOf(openRegularFile(path, access, links), mode);
}

ReadResult readWholeFile(const std::filesystem::path& path, std::string& out, std::uint64_t maxBytes, Links links) {
    out.clear();
    FileHandle f(::open(path.c_str(), openFlags(Access::Read, links)));
    if (!f) {
        if (errno == ENOENT || errno == ENOTDIR) return ReadResult::Missing;
        return errno == ELOOP ? ReadResult::NotRegular : ReadResult::Failed;
    }
    struct stat st {};
    if (::fstat(f.fd(), &st) != 0) return ReadResult::Failed;
    if (!S_ISREG(st.st_mode)) return ReadResult::NotRegular;
    if (static_cast<std::uint64_t>(st.st_size) > maxBytes) return ReadResult::TooLarge;
    out.reserve(static_cast<std::size_t>(st.st_size));
    // Read to the real end: a file that grew since fstat is read to its new
    // end, but never beyond the limit.
    char chunk[kReadChunk];
    for (;;) {
        const auto n = f.readAt(out.size(), chunk, sizeof chunk);
        if (!n) {
            out.clear();
            return ReadResult::Failed;
        }
        if (*n == 0) return ReadResult::Ok;
        if (out.size() + *n > maxBytes) {
            out.clear();
            return ReadResult::TooLarge;
        }
        out.append(chunk, *n);
    }
}

bool readRange(const std::filesystem::path& path, std::uint64_t offset, std::size_t size, std::string& out,
               Links links) {
    out.clear();
    const FileHandle f = openRegularFile(path, Access::Read, links);
    if (!f) return false;
    out.resize(size);
    const auto got = f.readAt(offset, out.data(), size);
    out.resize(got ? *got : 0);
    return got.has_value();
}

std::filesystem::path newTempPath(const std::filesystem::path& folder, std::string_view suffix) {
    for (int attempt = 0; attempt < kTempAttempts; ++attempt) {
        std::filesystem::path path = folder / (std::string(kTempFilePrefix) + tempSuffix() + std::string(suffix));
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 && errno == ENOENT) return path;
    }
    return {};
}

std::optional<TempFile> createTempFile(const std::filesystem::path& folder, std::string_view suffix) {
    for (int attempt = 0; attempt < kTempAttempts; ++attempt) {
        std::filesystem::path path = folder / (std::string(kTempFilePrefix) + tempSuffix() + std::string(suffix));
        FileHandle f(::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (f) return TempFile{std::move(f), std::move(path)};
        if (errno != EEXIST) return std::nullopt;
    }
    return std::nullopt;
}

long currentProcessId() {
    return static_cast<long>(::getpid());
}

bool processRunning(long pid) {
    if (pid <= 0) return false;
    // EPERM: it runs, under another user.
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
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
        if (!it->path().filename().string().starts_with(kTempFilePrefix)) continue;
        std::error_code e;
        if (fs::symlink_status(it->path(), e).type() != type) continue;
        const fs::file_time_type written = fs::last_write_time(it->path(), e);
        if (!e && written < cutoff) stale.push_back(it->path());
    }
    return stale;
}

}  // namespace

int removeStaleTempFiles(const std::filesystem::path& folder, std::chrono::seconds age) {
    int removed = 0;
    for (const auto& p : staleTempEntries(folder, age, std::filesystem::file_type::regular)) {
        std::error_code e;
        if (std::filesystem::remove(p, e)) ++removed;
    }
    return removed;
}

int removeStaleTempFolders(const std::filesystem::path& folder, std::chrono::seconds age) {
    int removed = 0;
    for (const auto& p : staleTempEntries(folder, age, std::filesystem::file_type::directory)) {
        std::error_code e;
        // remove_all takes a link inside as a link: nothing outside is touched.
        if (std::filesystem::remove_all(p, e) > 0 && !e) ++removed;
    }
    return removed;
}

}  // namespace plova
