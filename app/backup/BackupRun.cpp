#include "app/backup/BackupRun.h"

#include <chrono>
#include <system_error>
#include <thread>

#include "app/backup/BackupSchedule.h"
#include "link/CFtpMng.h"
#include "link/FtpReply.h"
#include "link/RemoteListing.h"
#include "platform/Text.h"
#include "store/CFileMng.h"

namespace plova::backup {
namespace {

namespace fs = std::filesystem;

constexpr int kOpeningPumps = 1001;
constexpr int kRangePumps = 12;
constexpr int kWaitStepCountMs = 15;  // each step of the wait counts this much ...
constexpr int kWaitStepSleepMs = 10;  // ... and sleeps this much
constexpr std::uint64_t kSpaceUnit = 4096;
constexpr std::uint64_t kWavPerVoiceUnit = 256;  // a WAV file needs 16 times its voice data
constexpr std::u16string_view kAnsweringRemote = u"/rusuroku/";
constexpr std::u16string_view kExtensionRemote = u"/naisen/";
constexpr std::u16string_view kResponseRemote = u"/outou/";
constexpr std::size_t kMonthChars = 6;

fs::path pathOf(std::u16string_view name) {
    return fs::path(toUtf8(name));
}

std::uint64_t roundedUp(std::uint64_t bytes) {
    return (bytes / kSpaceUnit + 1) * kSpaceUnit;
}

bool enoughSpace(const fs::path& root, std::uint64_t needed) {
    return ports().disk->freeBytes(root) >= needed;
}

void removeQuietly(const fs::path& file) {
    std::error_code ec;
    fs::remove(file, ec);
}

// A file counts as backed up once it carries its status record: a file that
// an interrupted run left half written has none and is fetched again.
bool alreadyBackedUp(const fs::path& file) {
    std::error_code ec;
    return fs::is_regular_file(file, ec) && CFileMng().HasStatusRecord(file);
}

void stepProgress() {
    const WindowHandle window = ports().progress->find(std::u16string(kProgressCaption));
    ports().progress->send(window, kProgressStep, 0, 0);
}

// Fetches one file into `folder` and gives it its status record. kDone,
// kDoneButMissing (the main unit no longer has it), kCommFailure or
// kCancelledOrConvert; nothing of the file stays behind on failure.
int fetch(CFtpMng& ftp, const fs::path& folder, std::u16string_view name, bool responseMessage) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    const fs::path file = folder / pathOf(name);
    const ftp::TransferResult r = ftp.Retrieve(name, name, folder);
    if (r != ftp::TransferResult::Done) removeQuietly(file);
    if (r == ftp::TransferResult::Unavailable) return kDoneButMissing;
    if (r == ftp::TransferResult::Cancelled) return kCancelledOrConvert;
    if (r != ftp::TransferResult::Done) return kCommFailure;
    CFileMng fm;
    const int made = responseMessage ? fm.MakeResponseRecord(file) : fm.MakeStatusRecord(file);
    if (made != 0) {
        // Not a message file: without its record it would pass for backed up.
        removeQuietly(file);
        return kCommFailure;
    }
    return kDone;
}

// The WAV file of a backed-up voice file, when "DOWNCONV" asks for it and it
// is not there yet. kDone, kNoRoom, or the failure code given.
int convertIfAsked(const TransferContext& c, const fs::path& voiceFile, bool fetchedNow) {
    if (!c.convert) return kDone;
    fs::path wav = voiceFile;
    wav.replace_extension(".wav");
    std::error_code ec;
    if (fs::exists(wav, ec)) return kDone;
    const std::uint64_t length = fs::file_size(voiceFile, ec);
    if (ec) return kCommFailure;
    if (!enoughSpace(c.root, (length / kWavPerVoiceUnit + 1) * kSpaceUnit)) return kNoRoom;
    if (CFileMng().ConvertToWav(voiceFile, c.level) == 1) return kDone;
    // A fresh file that cannot be converted goes again, as a download's does.
    if (fetchedNow) {
        removeQuietly(voiceFile);
        return kCancelledOrConvert;
    }
    return kNoDirectory;
}

// One listed file into `folder`: fetched unless it is backed up already, then
// converted when asked. kDone, kDoneButMissing, or the failure.
int backupFile(CFtpMng& ftp, const TransferContext& c, const fs::path& folder, const listing::Entry& e,
               bool responseMessage) {
    const fs::path file = folder / pathOf(e.name);
    if (!enoughSpace(c.root, roundedUp(static_cast<std::uint64_t>(e.size)))) return kNoRoom;
    bool fetchedNow = false;
    if (!alreadyBackedUp(file)) {
        if (const int r = fetch(ftp, folder, e.name, responseMessage); r != kDone) return r;
        fetchedNow = true;
    }
    if (!e.name.ends_with(store::kVmdat)) return kDone;
    return convertIfAsked(c, file, fetchedNow);
}

int listRemote(CFtpMng& ftp, std::u16string_view remotePath, const fs::path& root, std::u16string& listing) {
    long length = 0;
    const ftp::ListResult listed = ftp.ListBoxLong(remotePath, ftp::kListAll, listing, length, root);
    if (listed == ftp::ListResult::NoSuchDirectory) return kNoDirectory;
    if (listed != ftp::ListResult::Listed) return kCommFailure;
    return cancelRequested() ? kCancelledOrConvert : kDone;
}

std::u16string lastComponent(std::u16string_view remotePath) {
    while (!remotePath.empty() && remotePath.back() == u'/') remotePath.remove_suffix(1);
    const std::size_t slash = remotePath.rfind(u'/');
    return std::u16string(slash == std::u16string_view::npos ? remotePath : remotePath.substr(slash + 1));
}

}  // namespace

// ------------------------------------------------------- transfer procedures

int CountFiles(CFtpMng& ftp, std::u16string_view remotePath) {
    std::u16string listing;
    const ftp::ListResult listed = ftp.ListBox(remotePath, ftp::kListAll, listing);
    if (listed == ftp::ListResult::NoSuchDirectory) return kNoDirectory;
    if (listed != ftp::ListResult::Listed) return kCommFailure;
    return static_cast<int>(listing::CleanLines(listing).size());
}

int BackupBox(CFtpMng& ftp, const TransferContext& c, std::u16string_view kind, std::u16string_view remotePath) {
    std::u16string listing;
    if (const int r = listRemote(ftp, remotePath, c.root, listing); r != kDone) return r;
    const std::u16string box = lastComponent(remotePath);
    if (!listing::IsSafeName(box)) return kNoDirectory;

    bool missing = false;
    for (const listing::Entry& e : listing::MessageEntries(listing, listing::NameForm::BoxMessage)) {
        if (cancelRequested()) return kCancelledOrConvert;
        const std::u16string month = e.name.substr(0, kMonthChars);
        if (month < c.months.baseMonth || month > c.months.currentMonth) continue;
        const std::u16string monthFolder = MonthFolderName(month);
        const fs::path folder = c.root / pathOf(monthFolder) / pathOf(kind) / pathOf(box);
        const bool isInfo = e.name.ends_with(store::kVminf);

        if (const int r = backupFile(ftp, c, folder, e, false); r != kDone) {
            if (r != kDoneButMissing) return r;
            missing = true;
            continue;
        }
        // The month stays open until the whole run has ended well.
        WriteRecord(c.root, monthFolder, TimeStamp(ports().clock->now()), kStatusIncomplete, kKindBoxes);
        if (isInfo) stepProgress();
    }
    return missing ? kDoneButMissing : kDone;
}

int BackupResponseMessages(CFtpMng& ftp, const TransferContext& c) {
    std::u16string listing;
    if (const int r = listRemote(ftp, kResponseRemote, c.root, listing); r != kDone) return r;
    const fs::path folder = c.root / pathOf(c.months.current) / pathOf(store::kResponseFolder);

    bool missing = false;
    for (const listing::Entry& e : listing::MessageEntries(listing, listing::NameForm::ResponseMessage)) {
        if (cancelRequested()) return kCancelledOrConvert;
        if (!e.name.ends_with(store::kVmdat)) continue;
        if (const int r = backupFile(ftp, c, folder, e, true); r != kDone) {
            if (r != kDoneButMissing) return r;
            missing = true;
            continue;
        }
        WriteRecord(c.root, c.months.current, TimeStamp(ports().clock->now()), kStatusIncomplete, kKindResponses);
        stepProgress();
    }
    return missing ? kDoneButMissing : kDone;
}

// ------------------------------------------------------------------- the run

namespace {

class Run {
public:
    Run(BackupRunHost& host, RunSettings& settings, const BackupMonths& months, const RunOptions& options)
        : host_(host), settings_(settings), months_(months), options_(options) {
        context_.root = settings.root;
        context_.months = months;
        context_.convert = settings.convert;
        context_.level = settings.level;
        if (!options_.sleep)
            options_.sleep = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
    }

    int Go();

private:
    enum class Attempt { Done, Again, Stop };
    enum class Outcome { Done, Failed, Cancelled };

    CFtpMng* Ftp() { return host_.Ftp(); }
    bool Login();
    void Logout();
    bool Wait();
    Outcome WithRetries(const std::function<Attempt()>& attempt, bool freshLogin);
    int EndWithCommError();
    int Finish(bool failed);
    int CountAll(long& total);
    Attempt Transfer(const std::function<int(CFtpMng&)>& procedure);

    BackupRunHost& host_;
    RunSettings& settings_;
    const BackupMonths& months_;
    RunOptions options_;
    TransferContext context_;
    std::vector<std::u16string> answering_, extension_;
    int lastResult_ = kDone;
};

bool Run::Login() {
    settings_.loggedIn = host_.Login(settings_.address, settings_.user, settings_.password) == 0;
    return settings_.loggedIn;
}

void Run::Logout() {
    host_.Logout();
    settings_.loggedIn = false;
}

bool Run::Wait() {
    for (int left = settings_.retryWait - kWaitStepCountMs; left > 0 && !cancelRequested(); left -= kWaitStepCountMs) {
        pumpOne();
        options_.sleep(kWaitStepSleepMs);
    }
    return !cancelRequested();
}

Run::Outcome Run::WithRetries(const std::function<Attempt()>& attempt, bool freshLogin) {
    Attempt a = attempt();
    for (int retry = 0; a == Attempt::Again && retry < settings_.retryCount; ++retry) {
        if (!Wait()) return Outcome::Cancelled;
        if (freshLogin) {
            Logout();
            Login();  // a failed login makes the attempt fail in its turn
        }
        a = attempt();
    }
    if (a == Attempt::Done) return Outcome::Done;
    return cancelRequested() ? Outcome::Cancelled : Outcome::Failed;
}

int Run::EndWithCommError() {
    host_.CloseProgress();
    if (options_.confirmed) prompt(std::u16string(kCommError), std::u16string(kErrorCaption), Icon::Exclamation);
    Logout();
    MarkMonths(context_.root, months_, kStatusIncomplete, ports().clock->now());
    host_.ResetIdleCount();
    host_.EnableMainWindow(true);
    return kRunFailed;
}

int Run::Finish(bool failed) {
    host_.CloseProgress();
    if (cancelRequested()) {
        failed = true;
    } else if (failed) {
        if (lastResult_ == kNoRoom)
            prompt(std::u16string(kNoSpace), std::u16string(kErrorCaption), Icon::Exclamation);
        else if (options_.confirmed)
            prompt(std::u16string(kCommError), std::u16string(kErrorCaption), Icon::Exclamation);
    }
    MarkMonths(context_.root, months_, failed ? kStatusIncomplete : kStatusComplete, ports().clock->now());
    Logout();
    host_.ResetIdleCount();
    host_.EnableMainWindow(true);
    return failed ? kRunFailed : kRunOk;
}

int Run::CountAll(long& total) {
    std::vector<std::u16string> folders;
    for (const auto& b : answering_) folders.push_back(std::u16string(kAnsweringRemote) + b);
    for (const auto& b : extension_) folders.push_back(std::u16string(kExtensionRemote) + b);
    folders.push_back(std::u16string(kResponseRemote));
    total = 0;
    for (const std::u16string& folder : folders) {
        int count = 0;
        const Outcome o = WithRetries(
            [&] {
                CFtpMng* ftp = Ftp();
                count = ftp ? CountFiles(*ftp, folder) : kCommFailure;
                if (count == kNoDirectory) count = 0;  // gone since the box listing: nothing to count
                return count >= 0 ? Attempt::Done : Attempt::Again;
            },
            true);
        if (o != Outcome::Done) return o == Outcome::Cancelled ? kCancelledOrConvert : kCommFailure;
        total += count;
        pumpOne();
    }
    return kDone;
}

Run::Attempt Run::Transfer(const std::function<int(CFtpMng&)>& procedure) {
    CFtpMng* ftp = Ftp();
    lastResult_ = ftp ? procedure(*ftp) : kCommFailure;
    // A message that vanished from the main unit while the run fetched it
    // has nothing left to back up.
    if (lastResult_ == kDone || lastResult_ == kDoneButMissing) return Attempt::Done;
    if (lastResult_ == kNoRoom || lastResult_ == kCancelledOrConvert) return Attempt::Stop;
    return Attempt::Again;
}

int Run::Go() {
    ports().cancel->clear();
    host_.EnableMainWindow(false);
    host_.OpenProgress();
    for (int i = 0; i < kOpeningPumps; ++i) pumpOne();

    // Every month of the run is open from now on: a run that dies half way
    // leaves them so, and the next run fetches them again.
    MarkMonths(context_.root, months_, kStatusIncomplete, ports().clock->now());

    if (!settings_.loggedIn) {
        const Outcome o = WithRetries([&] { return Login() ? Attempt::Done : Attempt::Again; }, false);
        if (o == Outcome::Cancelled) return Finish(true);
        if (o == Outcome::Failed) return EndWithCommError();
    }

    const Outcome listed = WithRetries(
        [&] {
            CFtpMng* ftp = Ftp();
            std::u16string root, answering, extension;
            if (!ftp || ftp->ListFolders(root, answering, extension) != ftp::ListResult::Listed) return Attempt::Again;
            answering_ = listing::BoxNames(answering);
            extension_ = listing::BoxNames(extension);
            return Attempt::Done;
        },
        true);
    if (listed == Outcome::Cancelled) return Finish(true);
    if (listed == Outcome::Failed) return EndWithCommError();

    long total = 0;
    if (const int counted = CountAll(total); counted != kDone)
        return counted == kCancelledOrConvert ? Finish(true) : EndWithCommError();

    if (total < 1) {
        // Nothing on the main unit: the months are as complete as they can be.
        return Finish(false);
    }

    const WindowHandle window = ports().progress->find(std::u16string(kProgressCaption));
    ports().progress->send(window, kProgressRange, total / 2, 0);
    if (total / 2 != 0) ports().progress->send(window, kProgressStep, 0, 0);
    for (int i = 0; i < kRangePumps; ++i) pumpOne();

    auto transferAll = [&](const std::vector<std::u16string>& boxes, std::u16string_view kind,
                           std::u16string_view remoteBase) {
        for (const std::u16string& box : boxes) {
            if (cancelRequested()) return Outcome::Cancelled;
            const std::u16string remote = std::u16string(remoteBase) + box;
            const Outcome o = WithRetries(
                [&] { return Transfer([&](CFtpMng& ftp) { return BackupBox(ftp, context_, kind, remote); }); }, true);
            if (o != Outcome::Done) return o;
        }
        return Outcome::Done;
    };
    Outcome o = transferAll(answering_, store::kAnsweringFolder, kAnsweringRemote);
    if (o == Outcome::Done) o = transferAll(extension_, store::kExtensionFolder, kExtensionRemote);
    if (o == Outcome::Done && !cancelRequested())
        o = WithRetries([&] { return Transfer([&](CFtpMng& ftp) { return BackupResponseMessages(ftp, context_); }); },
                        true);
    return Finish(o != Outcome::Done);
}

}  // namespace

int RunBackup(BackupRunHost& host, RunSettings& settings, const BackupMonths& months, const RunOptions& options) {
    // Without a root folder the month folders would land wherever the program was started.
    if (settings.root.empty()) return kRunFailed;
    return Run(host, settings, months, options).Go();
}

}  // namespace plova::backup
