// A box folder with messages for the tests of the lists: messages named and
// dated as the main unit names them, in "rusuroku", "naisen" and "outou".
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/Text.h"
#include "store/testing/MessageFiles.h"

namespace plova::testkit {

class BoxFolderBuilder {
public:
    // The box folder `root`/`name`.
    BoxFolderBuilder(std::filesystem::path root, std::filesystem::path name)
        : folder_(std::move(root) / std::move(name)) {
        std::filesystem::create_directories(folder_);
    }
    [[nodiscard]] const std::filesystem::path& Folder() const { return folder_; }

    // A message of box `box` recorded at `stamp` (twelve digits), as the
    // file name and the record's date both say. `kind` is "rusuroku" or "naisen".
    std::filesystem::path Add(const std::string& kind, const std::string& box, const std::string& stamp,
                              const std::string& ext = "vmdat", std::uint8_t state = kUnplayedOnMainUnit,
                              const std::u16string& party = u"x") {
        const std::filesystem::path dir = folder_ / kind / box;
        std::filesystem::create_directories(dir);
        std::string name = stamp + "_abc_" + box + "_";
        char number[32];
        std::snprintf(number, sizeof number, "%0*d", static_cast<int>(27 - name.size()), ++made_);
        name += number;
        name += "." + ext;
        FILESTS_INFO r = SampleRecord();
        r.downloadState = state;
        r.partyName = party;
        r.date = FromUtf8(stamp.substr(0, 4) + "/" + stamp.substr(4, 2) + "/" + stamp.substr(6, 2) + " " +
                          stamp.substr(8, 2) + ":" + stamp.substr(10, 2));
        WriteMessage(dir / name, r, SampleBlock(), ext == "vmdat" ? 100 : 0);
        return dir / name;
    }

    // System response message `number` (1..300) in "outou".
    std::filesystem::path AddResponse(int number) {
        const std::filesystem::path dir = folder_ / "outou";
        std::filesystem::create_directories(dir);
        char name[64];
        std::snprintf(name, sizeof name, "202612071405_abc_A%03d_0000.vmdat", number);
        FILESTS_INFO r = SampleRecord();
        char digits[16];
        std::snprintf(digits, sizeof digits, "%03d", number);
        r.boxNumber = FromUtf8(digits);
        r.downloadState = kDeletedOnMainUnit;
        r.partyName = u"応答";
        WriteMessage(dir / name, r, ResponseBlock(number), 100);
        return dir / name;
    }

private:
    std::filesystem::path folder_;
    int made_ = 0;
};

}  // namespace plova::testkit
