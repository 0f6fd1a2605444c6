// A file that cannot be rewritten while the object lives, for the tests of
// what a failed rewrite leaves behind: where a process can be held to a size,
// every write of it past `bytes` fails as on a full disk; elsewhere (Windows)
// the file is held open against changes, as another program may hold it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

#include "platform/testing/FileSizeLimit.h"
#include "platform/testing/SpecialFiles.h"

namespace plova::testkit {

class BlockedRewrite {
public:
    BlockedRewrite(const std::filesystem::path& file, std::uint64_t bytes) {
        if (FileSizeLimit::kAvailable) {
            limit_.emplace(bytes);
        } else {
            hold_.emplace(file);
        }
    }

    // Whether either could be had here.
    [[nodiscard]] bool Blocks() const { return limit_.has_value() || (hold_ && hold_->Holds()); }

private:
    std::optional<FileSizeLimit> limit_;
    std::optional<ReadOnlyHold> hold_;
};

constexpr std::string_view kNoBlockedRewrite =
    "this system can neither limit what a process writes nor hold a file open against changes";

}  // namespace plova::testkit
