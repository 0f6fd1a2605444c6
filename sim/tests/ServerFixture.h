// A small main unit on disk and a server over it, fresh for every test.
#pragma once

#include "platform/testing/TempFolder.h"
#include "sim/MainUnitServer.h"
#include "sim/testing/SimUnit.h"
#include "sim/tests/FtpTestClient.h"
#include "store/RecordingBlock.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

namespace plova::sim::testing {

namespace fs = std::filesystem;

inline std::string ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const fs::path& p, const std::string& bytes) {
    fs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string MakeBlockBytes(bool isProtected, std::uint16_t number, const std::string& digits) {
    RecordingBlock f;
    f.dateText = "Thu, 5 Nov 2026 10:30 +0900";
    f.partyName = "\x8e\x52\x93\x63";  // 山田
    f.partyNumber = "0312345678";
    f.isProtected = isProtected;
    f.recordingTenths = 50;
    f.boxNumber = number;
    f.boxDigits = digits;
    BlockBytes b = BuildBlock(f);
    return std::string(reinterpret_cast<const char*>(b.data()), b.size());
}

// Speech-sized payload with a pattern that shows misplaced bytes.
inline std::string Payload(std::size_t size) {
    std::string s(size, '\0');
    for (std::size_t i = 0; i < size; ++i) s[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return s;
}

class ServerFixture : public ::testing::Test {
public:
    static constexpr const char* kPlain = "202611051030_THU_0001_00001";          // in /rusuroku/0001
    static constexpr const char* kProtected = "202611061100_FRI_0001_00002";      // in /rusuroku/0001
    static constexpr const char* kInfoOnly = "202611071200_SAT_2001_00001";       // ".vminf" only, /naisen/2001
    static constexpr const char* kResponse = "202611010900_SUN_0005_0001.vmdat";  // in /outou

protected:
    void SetUp() override {
        ASSERT_FALSE(base.empty());
        const std::string plain = MakeBlockBytes(false, 1, "0001");
        WriteFile(root / "rusuroku/0001" / (std::string(kPlain) + ".vmdat"), plain + Payload(40000));
        WriteFile(root / "rusuroku/0001" / (std::string(kPlain) + ".vminf"), plain);
        const std::string locked = MakeBlockBytes(true, 1, "0001");
        WriteFile(root / "rusuroku/0001" / (std::string(kProtected) + ".vmdat"), locked + Payload(3000));
        WriteFile(root / "rusuroku/0001" / (std::string(kProtected) + ".vminf"), locked);
        fs::create_directories(root / "rusuroku/0002");
        WriteFile(root / "naisen/2001" / (std::string(kInfoOnly) + ".vminf"), MakeBlockBytes(false, 2001, "2001"));
        WriteFile(root / "outou" / kResponse, MakeBlockBytes(false, 5, "005") + Payload(2000));
        WriteFile(base / "secret.txt", "outside the main unit");
        unit.Start();
    }

    // A client past USER and PASS.
    std::unique_ptr<FtpTestClient> loggedIn() {
        auto c = std::make_unique<FtpTestClient>(unit.Port());
        EXPECT_TRUE(c->Login());
        return c;
    }

    testkit::TempFolder temp{"sim"};
    const fs::path base = temp.Path();
    const fs::path root = base / "disk";
    testkit::SimUnit unit{root};
};

}  // namespace plova::sim::testing
