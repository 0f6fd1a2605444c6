// Folder listings, folder syncs and file copies over POSIX calls.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/Folder.h"

namespace plova {

namespace {

constexpr std::size_t kCopyChunk = std::size_t{1} << 20;

std::filesystem::file_type typeOf(mode_t mode) {
    using std::filesystem::file_type;
    if (S_ISREG(mode)) return file_type::regular;
    if (S_ISDIR(mode)) return file_type::directory;
    if (S_ISLNK(mode)) return file_type::symlink;
    if (S_ISFIFO(mode)) return file_type::fifo;
    if (S_ISSOCK(mode)) return file_type::socket;
    if (S_ISCHR(mode)) return file_type::character;
    if (S_ISBLK(mode)) return file_type::block;
    return file_type::unknown;
}

// An open directory stream, closed when it goes.
class Stream {
public:
    explicit Stream(int fd) : dir_(fd >= 0 ? ::fdopendir(fd) : nullptr) {
        if (fd >= 0 && dir_ == nullptr) ::close(fd);
    }
    ~Stream() {
        if (dir_) ::closedir(dir_);
    }
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;
    [[nodiscard]] DIR* Get() const { return dir_; }

private:
    DIR* dir_;
};

}  // namespace

std::optional<std::vector<FolderEntry>> ListFolder(const std::filesystem::path& folder, Links links) {
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (links == Links::Refuse ? O_NOFOLLOW : 0);
    const Stream dir(::open(folder.c_str(), flags));
    if (!dir.Get()) return std::nullopt;
    const int dfd = ::dirfd(dir.Get());
    std::vector<FolderEntry> out;
    for (errno = 0; const dirent* d = ::readdir(dir.Get()); errno = 0) {
        const std::string_view name = d->d_name;
        if (name == "." || name == "..") continue;
        FolderEntry& e = out.emplace_back();
        e.name = std::filesystem::path(std::string(name));
        struct stat st {};
        // An entry removed since it was listed keeps what its listing said.
        if (::fstatat(dfd, d->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        e.type = typeOf(st.st_mode);
        if (e.type == std::filesystem::file_type::regular) e.size = static_cast<std::uint64_t>(st.st_size);
        e.written =
            std::chrono::system_clock::time_point(std::chrono::duration_cast<std::chrono::system_clock::duration>(
                std::chrono::seconds(st.st_mtim.tv_sec) + std::chrono::nanoseconds(st.st_mtim.tv_nsec)));
    }
    if (errno != 0) return std::nullopt;
    return out;
}

bool SyncFolder(const std::filesystem::path& folder) {
    const FileHandle d(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return d && ::fsync(d.Fd()) == 0;
}

bool CopyContents(const FileHandle& from, FileHandle& to) {
    loff_t at = 0;
    for (;;) {
        const ssize_t n = ::copy_file_range(from.Fd(), &at, to.Fd(), nullptr, kCopyChunk, 0);
        if (n == 0) return true;
        if (n > 0 || errno == EINTR) continue;
        // Not between these files (two file systems, a kernel without it):
        // the rest through a buffer.
        if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return false;
        return detail::CopyByReading(from, static_cast<std::uint64_t>(at), to);
    }
}

}  // namespace plova
