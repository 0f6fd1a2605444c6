// A fresh empty folder under the system's temporary folder for a test or a
// benchmark, removed with everything in it when the object goes.
#pragma once

#include <atomic>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/File.h"

namespace plova::testkit {

class TempFolder {
public:
    // The name carries the tag, the process and a serial number, so tests
    // running side by side never share a folder.
    explicit TempFolder(const std::string& tag) {
        static std::atomic<int> serial{0};
        path_ = std::filesystem::temp_directory_path() /
                ("plova-" + tag + "-" + std::to_string(CurrentProcessId()) + "-" + std::to_string(serial++));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() { RemoveFolderTree(path_); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    [[nodiscard]] const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(const std::filesystem::path& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

}  // namespace plova::testkit
