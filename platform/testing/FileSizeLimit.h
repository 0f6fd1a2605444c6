// Makes every file write of this process fail beyond a size, as a full disk
// would make it fail, for the object's lifetime: the tests of what a failed
// write leaves behind. Windows has no such limit; there the object does
// nothing and the tests that need it skip.
#pragma once

#include <cstdint>
#include <string_view>

namespace plova::testkit {

class FileSizeLimit {
public:
    explicit FileSizeLimit(std::uint64_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    // Whether this system can limit what a process writes.
    static const bool kAvailable;

private:
    std::uint64_t savedCurrent_ = 0;
    std::uint64_t savedMaximum_ = 0;
    void (*savedSignal_)(int) = nullptr;
};

constexpr std::string_view kNoFileSizeLimit = "this system cannot limit the size of the files a process writes";

}  // namespace plova::testkit
