#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <system_error>

#include "platform/File.h"

namespace plova {

AtomicFile::AtomicFile(std::filesystem::path target, NewFileMode mode) : target_(std::move(target)) {
    // A hidden name of our own, so that a temporary file a crash leaves behind
    // never looks like a message or a settings file to anyone listing the folder.
    std::optional<TempFile> temp = createTempFile(target_.parent_path().empty() ? "." : target_.parent_path());
    if (!temp) {
        failed_ = true;
        return;
    }
    temp_ = temp->path;
    const int fd = temp->handle.release();
    // The file is created 0600. A replaced regular file keeps its own
    // permissions; a new one gets the usual ones unless only its owner may
    // read it. Whatever else stands under the name (a link, a device, a pipe)
    // is replaced and lends nothing: a link to /dev/zero would give 0666.
    struct stat st {};
    mode_t perms = static_cast<mode_t>(usualFileMode());
    if (mode == NewFileMode::OwnerOnly) {
        perms = 0600;
    } else if (::lstat(target_.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        perms = st.st_mode & 07777;
    }
    fchmod(fd, perms);
    file_ = fdopen(fd, "wb");
    if (!file_) {
        ::close(fd);
        failed_ = true;
    }
}

AtomicFile::~AtomicFile() {
    if (file_) std::fclose(file_);
    if (!committed_ && !temp_.empty()) {
        std::error_code ec;
        std::filesystem::remove(temp_, ec);
    }
}

bool AtomicFile::write(const void* data, std::size_t size) {
    if (!ok()) return false;
    if (size != 0 && std::fwrite(data, 1, size, file_) != size) failed_ = true;
    return !failed_;
}

bool AtomicFile::write(std::string_view bytes) {
    return write(bytes.data(), bytes.size());
}

bool AtomicFile::commit() {
    if (!ok() || committed_) return false;
    if (std::fflush(file_) != 0 || fsync(fileno(file_)) != 0) failed_ = true;
    if (std::fclose(file_) != 0) failed_ = true;
    file_ = nullptr;
    if (failed_) return false;
    if (std::rename(temp_.c_str(), target_.c_str()) != 0) {
        failed_ = true;
        return false;
    }
    committed_ = true;
    return true;
}

bool writeFileAtomically(const std::filesystem::path& target, std::string_view bytes, NewFileMode mode) {
    AtomicFile f(target, mode);
    return f.write(bytes) && f.commit();
}

}  // namespace plova
