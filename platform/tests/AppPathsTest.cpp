// Where the program keeps its own files, by how it was laid out on disk.
#include <gtest/gtest.h>

#include "platform/AppPaths.h"
#include "platform/testing/FileBytes.h"
#include "platform/testing/TempFolder.h"

namespace plova {
namespace {
namespace fs = std::filesystem;

TEST(AppPathsLayout, InstalledProgramsNeverKeepFilesBesideThemselves) {
    testkit::TempFolder temp("apppaths");
    struct Case {
        const char* name;
        fs::path exeFolder;
        std::vector<fs::path> alsoMake;
        bool installed;
        std::vector<fs::path> alsoWrite = {};
    } cases[] = {
        {"build folder", temp / "build/app/", {}, false},
        {"portable copy", temp / "portable/", {temp / "portable/share"}, false},
        // Written to by root all the same: an installed program still keeps out of bin/.
        {"system prefix", temp / "usr/bin/", {temp / "usr/share/plova"}, true},
        {"prefix without a trailing separator", temp / "opt/plova/bin", {temp / "opt/plova/share/plova"}, true},
        {"another program's share folder", temp / "local/bin/", {temp / "local/share/other"}, false},
        // The Windows setup program's folder, writable by an administrator.
        {"setup program's mark", temp / "Programs/PLOVA/", {}, true, {temp / "Programs/PLOVA" / kInstalledMark}},
        {"setup mark, no trailing separator", temp / "setup/PLOVA", {}, true, {temp / "setup/PLOVA" / kInstalledMark}},
        {"a folder of the mark's name", temp / "odd/", {temp / "odd" / kInstalledMark}, false},
        {"the mark one folder up", temp / "up/bin/", {}, false, {temp / "up" / kInstalledMark}},
    };
    for (const auto& c : cases) {
        fs::create_directories(c.exeFolder);
        for (const auto& d : c.alsoMake) fs::create_directories(d);
        for (const auto& f : c.alsoWrite) testkit::WriteBytes(f, "installed\r\n");
        EXPECT_EQ(IsInstalledLayout(c.exeFolder), c.installed) << c.name;
        EXPECT_EQ(KeepsFilesBeside(c.exeFolder), !c.installed) << c.name;
    }
}

}  // namespace
}  // namespace plova
