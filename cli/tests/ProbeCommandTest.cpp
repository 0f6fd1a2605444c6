// plova-cli probe against the main-unit simulator.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>

#include "cli/Command.h"
#include "cli/testing/CliRun.h"
#include "link/CFtpMng.h"
#include "platform/AppPaths.h"
#include "platform/testing/TempFolder.h"
#include "platform/testing/WaitFor.h"
#include "sim/testing/SimUnit.h"

namespace plova {
namespace {
namespace fs = std::filesystem;
using testkit::WaitFor;

class ProbeCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(temp.Path() / "rusuroku" / "0001");
        fs::create_directories(temp.Path() / "rusuroku" / "0002");
        fs::create_directories(temp.Path() / "naisen" / "0101");
        fs::create_directories(temp.Path() / "outou");
        ASSERT_NO_FATAL_FAILURE(unit.Start());
        port = std::to_string(unit.Port());
    }

    int probe(const cli::Args& options) {
        cli::Args args{"probe"};
        args.insert(args.end(), options.begin(), options.end());
        ran = testkit::RunCliCaptured(args);
        return ran.code;
    }

    testkit::TempFolder temp{"link-probe"};
    testkit::SimUnit unit{temp.Path()};
    std::string port;
    testkit::CliOutcome ran;  // what the last run printed
};

TEST_F(ProbeCommandTest, PrintsTheLoginResultAndTheThreeListings) {
    ASSERT_EQ(probe({"--host", "127.0.0.1", "--port", port, "--user", "admin", "--password", "admin"}), cli::kOk)
        << ran.err;
    const auto json = nlohmann::json::parse(ran.out);
    EXPECT_EQ(json["login"], "logged in");
    EXPECT_EQ(json["rusuroku"], (nlohmann::json{"0001", "0002"}));
    EXPECT_EQ(json["naisen"], (nlohmann::json{"0101"}));
    EXPECT_NE(std::find(json["root"].begin(), json["root"].end(), "outou"), json["root"].end());
    EXPECT_TRUE(WaitFor([&] { return unit.Server().SessionsOpen() == 0; }));  // logged out
}

TEST_F(ProbeCommandTest, RefusalsAndUsage) {
    EXPECT_EQ(probe({"--host", "127.0.0.1", "--port", port, "--user", "admin", "--password", "x"}), cli::kFailed);
    EXPECT_EQ(nlohmann::json::parse(ran.out)["login"], "login refused");
    EXPECT_EQ(ran.err, "plova-cli: probe: login refused (127.0.0.1)\n");
    unit.Stop();
    EXPECT_EQ(probe({"--host", "127.0.0.1", "--port", port, "--user", "admin", "--password", "admin"}), cli::kFailed);
    EXPECT_EQ(ran.err, "plova-cli: probe: connection failed (127.0.0.1)\n");

    EXPECT_EQ(probe({"--host", "127.0.0.1", "--user", "admin"}), cli::kUsage);
    EXPECT_EQ(probe({"--host", "127.0.0.1", "--port", "70000", "--user", "a", "--password", "b"}), cli::kUsage);
    EXPECT_EQ(probe({"--host", "127.0.0.1", "--user", "a", "--password", "b", "--verbose"}), cli::kUsage);
    EXPECT_FALSE(ran.err.empty());
}

TEST_F(ProbeCommandTest, TakesThePortFromTheEnvironmentWhenNoneIsGiven) {
    // Set and removed through the platform layer, as a path's text would be.
    SetEnvironmentPath(ftp::kPortVariable, std::filesystem::path(port));
    const int result = probe({"--host", "127.0.0.1", "--user", "admin", "--password", "admin"});
    SetEnvironmentPath(ftp::kPortVariable, std::nullopt);
    EXPECT_EQ(result, cli::kOk) << ran.out << ran.err;
}

}  // namespace
}  // namespace plova
