// A program killed while it rewrites a file leaves that file whole: the old
// content or the new, never a mixture, and never a half-written temporary
// file that passes for a message. A child rewrites files in a loop; the test
// kills it at random moments, over and over, and looks at every file after
// each kill.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <optional>
#include <random>
#include <thread>

#include "platform/IniFile.h"
#include "platform/Text.h"
#include "store/CFileMng.h"
#include "store/testing/MessageFiles.h"

using namespace plova;
using namespace plova::testkit;
namespace fs = std::filesystem;

namespace {

// Under the sanitizers each fork copies a far larger address space, and a
// kill cycle costs some 50 ms instead of 3: fewer kills keep the run short,
// and the moments still spread over the whole rewrite.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr int kKills = 300;
#else
constexpr int kKills = 1000;
#endif

// Runs `rewrite` in a child that repeats it until killed, kills it
// `kKills` times at random moments, and calls `check` after each kill.
// The number of temporary files a kill left behind.
int killRepeatedly(const std::function<void()>& rewrite, const std::function<void(int)>& check,
                   const fs::path& folder) {
    std::mt19937 random(20261208);
    std::uniform_real_distribution<double> moment(0.0, 1.0);
    for (int kill = 0; kill < kKills; ++kill) {
        // The child runs one rewrite before the ones that count and says
        // when it starts and ends it. That first one pays for the fork (pages
        // copied on first touch, a sanitizer's large address space), and its
        // length is the span the random moment falls in: the kill lands in
        // the rewrites however fast or slow this machine is.
        int ticks[2];
        if (::pipe(ticks) != 0) {
            ADD_FAILURE() << "pipe failed";
            return 0;
        }
        const pid_t child = ::fork();
        if (child < 0) ADD_FAILURE() << "fork failed";
        if (child <= 0) {
            if (child == 0) {
                const char tick = 1;
                (void)!::write(ticks[1], &tick, 1);
                rewrite();
                (void)!::write(ticks[1], &tick, 1);
                for (;;) rewrite();
            }
            return 0;
        }
        ::close(ticks[1]);
        char tick = 0;
        (void)!::read(ticks[0], &tick, 1);
        const auto start = std::chrono::steady_clock::now();
        (void)!::read(ticks[0], &tick, 1);
        const auto once = std::chrono::steady_clock::now() - start;
        ::close(ticks[0]);
        std::this_thread::sleep_for(std::chrono::duration_cast<std::chrono::microseconds>(once * moment(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        check(kill);
        if (::testing::Test::HasFailure()) return 0;
    }
    int temps = 0;
    for (const auto& e : fs::directory_iterator(folder)) temps += e.path().filename().string().starts_with(".");
    return temps;
}

// The folders live in memory where the system offers a memory file system:
// a kill that lands in fsync waits for the disk, and a thousand of them on a
// slow disk would make this test slow without testing anything more (the
// renames that make a rewrite whole behave the same there).
class InMemoryTemp {
public:
    InMemoryTemp() {
        if (const char* t = std::getenv("TMPDIR")) old_ = t;
        std::error_code ec;
        if (fs::is_directory("/dev/shm", ec)) ::setenv("TMPDIR", "/dev/shm", 1);
    }
    ~InMemoryTemp() {
        if (old_)
            ::setenv("TMPDIR", old_->c_str(), 1);
        else
            ::unsetenv("TMPDIR");
    }

private:
    std::optional<std::string> old_;
};

TEST(CrashSafety, StatusRecordsSurviveAKillAtAnyMoment) {
    InMemoryTemp inMemory;
    TempFolder root{"crash-records"};
    const fs::path box = root / "rusuroku";
    fs::create_directories(box / "0012");
    const fs::path folder = box / "0012";
    ASSERT_TRUE(CFileMng::WriteBoxName(folder, u"営業"));

    // Two versions of every record; each file must always hold one of them whole.
    FILESTS_INFO first = SampleRecord(), second = SampleRecord();
    first.title = u"最初の件名";
    second.title = u"二番目の件名、少し長い";
    second.isProtected = 1;
    const std::vector<fs::path> messages = {folder / "202612071405_abc_0012_00001.vmdat",
                                            folder / "202612071406_abc_0012_00002.vminf",
                                            folder / "202612071407_abc_0012_00003.vmdat"};
    std::vector<std::pair<std::string, std::string>> versions;
    for (std::size_t i = 0; i < messages.size(); ++i) {
        WriteMessage(messages[i], SampleRecord(), SampleBlock(), 4000 + 1000 * i);
        ASSERT_EQ(CFileMng::WriteStatusRecord(second, messages[i]), store::RecordWrite::Written);
        const std::string b = ReadFileBytes(messages[i]);
        ASSERT_EQ(CFileMng::WriteStatusRecord(first, messages[i]), store::RecordWrite::Written);
        versions.emplace_back(ReadFileBytes(messages[i]), b);
    }

    const int temps = killRepeatedly(
        [&] {
            for (const fs::path& m : messages) {
                FILESTS_INFO r = second;
                // A kill, not a failure, is what this loop is about.
                (void)CFileMng::WriteStatusRecord(r, m);
                r = first;
                (void)CFileMng::WriteStatusRecord(r, m);
            }
        },
        [&](int kill) {
            for (std::size_t i = 0; i < messages.size(); ++i) {
                const std::string now = ReadFileBytes(messages[i]);
                EXPECT_TRUE(now == versions[i].first || now == versions[i].second)
                    << messages[i] << " is not whole after kill " << kill << " (" << now.size() << " bytes)";
            }
            std::vector<FILESTS_INFO> records;
            ASSERT_TRUE(CFileMng::LoadFolderRecords(folder, records));
            EXPECT_EQ(records.size(), messages.size()) << "after kill " << kill;
            EXPECT_EQ(CFileMng::EnumerateMessages(folder).size(), messages.size()) << "after kill " << kill;
        },
        folder);
    // Some kills fell in the middle of a rewrite, or the test proved nothing.
    EXPECT_GT(temps, 0);
}

TEST(CrashSafety, TheSettingsFileSurvivesAKillAtAnyMoment) {
    InMemoryTemp inMemory;
    TempFolder root{"crash-settings"};
    const fs::path ini = root / "PLOVA.ini";
    // Two generations of a settings file of many keys.
    const auto generation = [](int g) {
        IniDocument doc;
        for (int k = 0; k < 200; ++k)
            doc.Set(u"SECTION" + FromUtf8(std::to_string(k % 7)), u"KEY" + FromUtf8(std::to_string(k)),
                    FromUtf8(std::string(20 + g * 13, static_cast<char>('a' + g))));
        return doc;
    };
    const IniDocument one = generation(0), two = generation(1);
    ASSERT_TRUE(one.Save(ini, NewFileMode::OwnerOnly));
    const std::string a = one.Bytes(), b = two.Bytes();

    const int temps = killRepeatedly(
        [&] {
            // A kill, not a failure, is what this loop is about.
            (void)two.Save(ini, NewFileMode::OwnerOnly);
            (void)one.Save(ini, NewFileMode::OwnerOnly);
        },
        [&](int kill) {
            const std::string now = ReadFileBytes(ini);
            EXPECT_TRUE(now == a || now == b)
                << "PLOVA.ini is not whole after kill " << kill << " (" << now.size() << " bytes)";
            EXPECT_EQ(fs::status(ini).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
            const std::u16string value = ReadProfileString(ini, u"SECTION0", u"KEY0");
            EXPECT_TRUE(value == std::u16string(20, u'a') || value == std::u16string(33, u'b'));
        },
        root.Path());
    EXPECT_GT(temps, 0);
}

}  // namespace
