// What the locks do alike on every system; taking one is in FileLock_posix.cpp
// and FileLock_win.cpp.
#include "platform/FileLock.h"

namespace plova {
namespace {

constexpr std::string_view kLockSuffix = ".lock";

}  // namespace

std::string FileLock::Reason() const {
    if (state_ == State::Busy) return "held by another run";
    switch (error_) {
    case 0: return "no lock file";
    case kNotRegular: return "not a regular file";
    case kRemovedMeanwhile: return "removed by another run each time it was taken";
    default: return SystemErrorText(error_);
    }
}

FileLock LockFolder(const std::filesystem::path& folder, std::string_view name) {
    return FileLock(folder / name);
}

FileLock LockBeside(const std::filesystem::path& file) {
    // Put together in the name's own characters, which need not convert.
    using Char = std::filesystem::path::value_type;
    std::filesystem::path::string_type name(1, Char('.'));
    name += file.filename().native();
    for (const char c : kLockSuffix) name += static_cast<Char>(c);
    return FileLock(file.parent_path() / name);
}

}  // namespace plova
