// A scratch folder of a test's own: while the object lives, the program's
// per-user scratch folder (the imports' intermediate files) is inside a fresh
// temporary folder, so a test can look at what lands there, and plant things
// there, without tests beside it doing the same.
#pragma once

#include <filesystem>
#include <optional>

#include "platform/AppPaths.h"
#include "platform/testing/TempFolder.h"

namespace plova::testkit {

class OwnScratchFolder {
public:
    OwnScratchFolder() : before_(EnvironmentPath(kScratchBaseVariable)) {
        SetEnvironmentPath(kScratchBaseVariable, cache_.Path());
    }
    ~OwnScratchFolder() { SetEnvironmentPath(kScratchBaseVariable, before_); }
    OwnScratchFolder(const OwnScratchFolder&) = delete;
    OwnScratchFolder& operator=(const OwnScratchFolder&) = delete;

    // ScratchFolder() as it is now.
    [[nodiscard]] std::filesystem::path Path() const { return ScratchFolder(); }

private:
    TempFolder cache_{"scratch"};
    std::optional<std::filesystem::path> before_;
};

}  // namespace plova::testkit
