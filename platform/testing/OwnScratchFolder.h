// A scratch folder of a test's own: while the object lives, the program's
// per-user scratch folder (the imports' intermediate files) is inside a fresh
// temporary folder, so a test can look at what lands there, and plant things
// there, without tests beside it doing the same.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/AppPaths.h"
#include "platform/testing/TempFolder.h"

namespace plova::testkit {

class OwnScratchFolder {
public:
    OwnScratchFolder() {
        if (const char* v = std::getenv(kVariable)) before_ = v;
        ::setenv(kVariable, cache_.path().c_str(), 1);
    }
    ~OwnScratchFolder() {
        if (before_)
            ::setenv(kVariable, before_->c_str(), 1);
        else
            ::unsetenv(kVariable);
    }
    OwnScratchFolder(const OwnScratchFolder&) = delete;
    OwnScratchFolder& operator=(const OwnScratchFolder&) = delete;

    // scratchFolder() as it is now.
    std::filesystem::path path() const { return scratchFolder(); }

private:
    static constexpr const char* kVariable = "XDG_CACHE_HOME";
    TempFolder cache_{"scratch"};
    std::optional<std::string> before_;
};

}  // namespace plova::testkit
