// The mainunit-sim program as scripts and other FTP clients use it: seeded,
// started, its port read from the first line, then driven by curl in active
// mode over one control connection.
#include "sim/SeedMainUnit.h"
#include "sim/tests/ServerFixture.h"

#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <cstdio>

extern char** environ;

namespace plova::sim::testing {
namespace {

// A child process whose standard output the test reads; killed if the test
// ends early.
class Child {
public:
    explicit Child(std::vector<std::string> args) {
        int fds[2];
        if (::pipe(fds) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        out_ = ::fdopen(fds[0], "r");
    }
    ~Child() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (out_) std::fclose(out_);
    }
    std::string ReadLine() {
        char line[256] = {};
        if (!out_ || !std::fgets(line, sizeof line, out_)) return {};
        return line;
    }
    // Exit status after SIGTERM, or -1.
    int Terminate() {
        if (pid_ <= 0) return -1;
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    std::FILE* out_ = nullptr;
};

// Output and exit code of a shell command.
std::pair<std::string, int> run(const std::string& command) {
    std::FILE* p = ::popen(command.c_str(), "r");
    if (!p) return {"", -1};
    std::string out;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0) out.append(buffer, n);
    int status = ::pclose(p);
    return {out, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

class SimProgram : public ::testing::Test {
protected:
    testkit::TempFolder temp{"sim"};
    const fs::path base = temp.Path();
};

TEST_F(SimProgram, SeedsServesCurlInActiveModeAndStopsOnSignal) {
    const fs::path root = base / "unit";
    auto seeded = run(std::string(MAINUNIT_SIM) + " --seed " + root.string() + " 2>&1");
    ASSERT_EQ(seeded.second, 0) << seeded.first;
    ASSERT_TRUE(fs::is_directory(root / "rusuroku/0001"));

    Child sim({MAINUNIT_SIM, "--root", root.string(), "--user", "kw", "--password", "secret"});
    const std::string first = sim.ReadLine();
    ASSERT_EQ(first.substr(0, 5), "port ") << first;
    const std::string port = first.substr(5, first.find('\n') - 5);
    const std::string url = "ftp://127.0.0.1:" + port;
    const std::string curl = "curl -sS --max-time 30 -P 127.0.0.1 -u kw:secret ";

    auto names = run(curl + "-l " + url + "/rusuroku/0001/");
    ASSERT_EQ(names.second, 0) << names.first;
    std::vector<std::string> files;
    for (const auto& e : fs::directory_iterator(root / "rusuroku/0001")) files.push_back(e.path().filename().string());
    std::sort(files.begin(), files.end());
    std::string expected;
    for (const auto& f : files) expected += f + "\n";  // curl turns ASCII-mode CRLF into LF
    EXPECT_EQ(names.first, expected);

    // Two files over one control connection, from two directories.
    const fs::path out = base / "fetched";
    fs::create_directories(out);
    const std::string outou = fs::directory_iterator(root / "outou")->path().filename().string();
    auto fetched = run("cd " + out.string() + " && " + curl + url + "/rusuroku/0001/" + files[0] + " -O " + url +
                       "/outou/" + outou + " -O 2>&1");
    ASSERT_EQ(fetched.second, 0) << fetched.first;
    EXPECT_EQ(ReadFile(out / files[0]), ReadFile(root / "rusuroku/0001" / files[0]));
    EXPECT_EQ(ReadFile(out / outou), ReadFile(root / "outou" / outou));

    auto refused = run("curl -sS --max-time 30 -P 127.0.0.1 -u kw:wrong " + url + "/ 2>&1");
    EXPECT_NE(refused.second, 0);

    EXPECT_EQ(sim.Terminate(), 0);
}

TEST_F(SimProgram, RefusesBadArguments) {
    EXPECT_EQ(run(std::string(MAINUNIT_SIM) + " 2>/dev/null").second, 2);
    EXPECT_EQ(run(std::string(MAINUNIT_SIM) + " --root /tmp --fault nonsense 2>/dev/null").second, 2);
    // Numbers are whole decimal numbers in range: a minus sign does not wrap round to a huge value.
    // (With an absent root an accepted number ends in 1, so nothing is left serving.)
    const std::string absentRoot = std::string(MAINUNIT_SIM) + " --root " + (base / "absent").string() + " ";
    for (const char* bad :
         {"--port 65536", "--port -1", "--port 21x", "--seed-number 4294967296", "--fault greeting-code=1000",
          "--fault drop-after=-1", "--fault stall=", "--fault fail-dele=a.vminf:99", "--fault fail-dele=:421",
          "--fault fail-dele=a.vminf", "--fault trickle=0", "--fault trickle=4294967296", "--fault endless"}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(run(absentRoot + bad + " 2>/dev/null").second, 2);
    }
    for (const char* good :
         {"--port 65535", "--seed-number 4294967295", "--fault drop-after=9223372036854775807",
          "--fault huge-listing=4294967296", "--fault fail-dele=a.vminf:0", "--fault fail-dele=a.vminf:421",
          "--fault trickle=2048 --fault endless-retr --fault endless-listing"}) {
        SCOPED_TRACE(good);
        EXPECT_EQ(run(absentRoot + good + " 2>/dev/null").second, 1);
    }
    EXPECT_EQ(run(std::string(MAINUNIT_SIM) + " --root " + (base / "absent").string() + " 2>/dev/null").second, 1);
}

}  // namespace
}  // namespace plova::sim::testing
