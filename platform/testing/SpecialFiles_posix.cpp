#include <sys/stat.h>

#include <system_error>

#include "platform/testing/SpecialFiles.h"

namespace plova::testkit {

bool MakeFifo(const std::filesystem::path& path) {
    return ::mkfifo(path.c_str(), 0600) == 0;
}

bool MakeSymlink(const std::filesystem::path& target, const std::filesystem::path& link) {
    std::error_code ec;
    std::filesystem::create_symlink(target, link, ec);
    return !ec;
}

bool OwnerOnly(const std::filesystem::path& file) {
    struct stat st {};
    return ::stat(file.c_str(), &st) == 0 && (st.st_mode & 0777) == 0600;
}

bool KeepsAccessRules(const std::filesystem::path&) {
    return true;
}

// An open file blocks nothing here: it may be replaced and removed.
struct ReadOnlyHold::Held {};

ReadOnlyHold::ReadOnlyHold(const std::filesystem::path&) {}

ReadOnlyHold::~ReadOnlyHold() = default;

bool ReadOnlyHold::Holds() const {
    return false;
}

bool MakeOlder(const std::filesystem::path& path, std::chrono::seconds age) {
    std::error_code ec;
    std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() - age, ec);
    return !ec;
}

}  // namespace plova::testkit
