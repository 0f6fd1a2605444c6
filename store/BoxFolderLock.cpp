#include "store/BoxFolderLock.h"

#include <system_error>

#include "platform/Ports.h"

namespace plova {
namespace fs = std::filesystem;

namespace {

bool madeNow(const fs::path& folder, bool make) {
    std::error_code ec;
    if (!make || folder.empty() || fs::exists(fs::symlink_status(folder, ec))) return false;
    return fs::create_directories(folder, ec) && !ec;
}

// Nothing but the lock file in the folder.
bool onlyTheLock(const fs::path& folder, const fs::path& lockFile) {
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (it->path() != lockFile) return false;
    return !ec;
}

// The folder's lock; none for a folder that is not there (nothing is
// written into it then, and no lock file is made anywhere else).
FileLock lockOf(const fs::path& folder) {
    std::error_code ec;
    if (folder.empty() || !fs::is_directory(folder, ec)) return FileLock();
    return LockFolder(folder, kBoxFolderLockName);
}

}  // namespace

BoxFolderLock::BoxFolderLock(fs::path folder, bool make)
    : folder_(std::move(folder)), made_(madeNow(folder_, make)), lock_(lockOf(folder_)) {}

BoxFolderLock::~BoxFolderLock() {
    if (!made_ || !lock_.Held() || !onlyTheLock(folder_, lock_.File())) return;
    lock_.ReleaseAndRemove();
    std::error_code ec;
    fs::remove(folder_, ec);
}

std::unique_ptr<BoxFolderLock> LockFolderForCommand(const fs::path& folder) {
    auto lock = std::make_unique<BoxFolderLock>(folder, false);
    if (!lock->Busy()) return lock;
    ShowPrompt(std::u16string(kFolderBusy), std::u16string(kFolderBusyCaption), Icon::Exclamation);
    return nullptr;
}

}  // namespace plova
