// The fixture of the backup run tests: the simulated main unit on loopback
// with its seeded messages, the local backup root, and the window behind
// the run.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <thread>

#include "backup/BackupRun.h"
#include "backup/BackupSchedule.h"
#include "download/DownloadMng.h"
#include "link/CFtpMng.h"
#include "platform/File.h"
#include "platform/FileLock.h"
#include "platform/IniFile.h"
#include "platform/Text.h"
#include "platform/testing/TempFolder.h"
#include "platform/testing/TestPorts.h"
#include "sim/testing/SimUnit.h"
#include "store/CFileMng.h"

namespace plova::backup {

namespace fs = std::filesystem;
using testkit::Utf8;

// 20 April 2026, 10:00: the run fetches February, March and April.
const LocalTime kNow{2026, 4, 20, 1, 10, 0, 0, 0};

// The window behind the run, counting its logins and when they came (in
// milliseconds slept by the run's waits).
struct Host final : BackupRunHost {
    Host(std::uint16_t port, const long& slept) : port_(port), slept_(slept) {}
    ftp::LoginResult Login(const std::u16string& h, const std::u16string& u, const std::u16string& p) override {
        loginsAt.push_back(slept_);
        return ftp.Login(h, u, p, port_);
    }
    void Logout() override { ftp.Logout(); }
    CFtpMng* Ftp() override { return ftp.HasSession() ? &ftp : nullptr; }
    void EnableMainWindow(bool enabled) override { windowEnabled = enabled; }
    void OpenProgress() override { progressOpen = io->progress.Open(std::u16string(kProgressCaption)) != 0; }
    void CloseProgress() override {
        io->progress.Close(std::u16string(kProgressCaption));
        progressOpen = false;
    }
    void ResetIdleCount() override { ++idleResets; }
    testkit::TestPorts* io = nullptr;
    CFtpMng ftp;
    std::vector<long> loginsAt;
    bool windowEnabled = true, progressOpen = false;
    int idleResets = 0;

private:
    std::uint16_t port_;
    const long& slept_;
};

class BackupRunSimTest : public ::testing::Test {
protected:
    testkit::TestPorts io;
    testkit::TempFolder unitDisk{"bu-unit"};
    testkit::TempFolder local{"bu-local"};
    testkit::SimUnit unit{unitDisk.Path(), "qermo", "kw1234"};
    const sim::SeedResult& seeded = unit.Seeded();
    long slept = 0;
    RunSettings record;
    std::u16string zenkaibi;

    void SetUp() override {
        io.clock.Set(kNow);
        record.address = u"127.0.0.1";
        record.user = u"qermo";
        record.password = u"kw1234";
        record.root = local.Path();
        record.retryCount = 1;
        record.retryWait = 10000;
    }

    void seed() {
        sim::SeedOptions o;
        o.now = kNow;
        unit.Seed(o);
    }
    void emptyUnit() {
        for (const char* d : {"rusuroku/0001", "naisen/2001", "outou"}) fs::create_directories(unitDisk / d);
    }

    RunResult run(bool confirmed = false) {
        host = std::make_unique<Host>(unit.Port() ? unit.Port() : testkit::SimUnit::DeadPort(), slept);
        host->io = &io;
        RunOptions o;
        o.confirmed = confirmed;
        o.sleep = [this](int ms) { slept += ms; };
        const BackupMonths months = MonthsOfRun(local.Path(), zenkaibi, kNow);
        const RunResult r = RunBackup(*host, record, months, o);
        zenkaibi = TimeStamp(kNow);
        return r;
    }

    // Where a seeded box message belongs in the backup, or nothing when its month is not fetched.
    [[nodiscard]] std::optional<fs::path> backedUpPath(const fs::path& remote) const {
        const std::string name = remote.filename().string();
        const std::string month = name.substr(0, 6);
        if (month < "202602" || month > "202604") return std::nullopt;
        const fs::path box = remote.parent_path();
        return local.Path() / ("BU_" + month) / box.parent_path().filename() / box.filename() / name;
    }

    std::u16string flag(const char* folder, const char16_t* key = u"YFLAG") const {
        return ReadProfileString(local / folder / "backup_info.ini", u"BACKUPINF", key, u"(none)");
    }

    std::unique_ptr<Host> host;
};

}  // namespace plova::backup
