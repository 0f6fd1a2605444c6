#include "platform/AtomicFile.h"

#include <optional>

namespace plova {
namespace {

// Small writes (a settings file line by line) are gathered into one call.
constexpr std::size_t kPendingLimit = std::size_t{64} * 1024;

}  // namespace

AtomicFile::AtomicFile(std::filesystem::path target, NewFileMode mode) : target_(std::move(target)) {
    // A hidden name of our own, so that a temporary file a crash leaves behind
    // never looks like a message or a settings file to anyone listing the folder.
    std::optional<TempFile> temp = CreateTempFile(target_.parent_path().empty() ? "." : target_.parent_path());
    if (!temp) {
        failed_ = true;
        return;
    }
    temp_ = temp->path;
    file_ = std::move(temp->handle);
    // A file system without permissions (a share, FAT) takes the file as it
    // is; only a file meant for its owner alone (a password in it) is not
    // written where that cannot be made so.
    if (!SetModeFor(file_, target_, mode) && mode == NewFileMode::OwnerOnly) failed_ = true;
}

AtomicFile::~AtomicFile() {
    file_.Close();
    if (!committed_ && !temp_.empty()) RemoveFileOrLink(temp_);
}

bool AtomicFile::flush() {
    if (!pending_.empty() && !file_.WriteAll(pending_.data(), pending_.size())) failed_ = true;
    pending_.clear();
    return !failed_;
}

bool AtomicFile::Write(const void* data, std::size_t size) {
    if (!Ok()) return false;
    pending_.append(static_cast<const char*>(data), size);
    return pending_.size() < kPendingLimit || flush();
}

bool AtomicFile::Write(std::string_view bytes) {
    return Write(bytes.data(), bytes.size());
}

bool AtomicFile::Commit() {
    if (!Ok() || committed_) return false;
    if (!flush() || !file_.Sync() || !file_.CloseChecked()) failed_ = true;
    if (failed_ || !RenameReplacing(temp_, target_)) {
        failed_ = true;
        return false;
    }
    committed_ = true;
    return true;
}

bool WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes, NewFileMode mode) {
    AtomicFile f(target, mode);
    return f.Write(bytes) && f.Commit();
}

}  // namespace plova
