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

// Fetches one file into `folder` and gives it its status record. Ok,
// SomeMissing (the main unit no longer has it), CommError or Cancelled;
// nothing of the file stays behind on failure.
DownloadResult fetch(CFtpMng& ftp, const fs::path& folder, std::u16string_view name, bool responseMessage) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    const fs::path file = folder / pathOf(name);
    const ftp::TransferResult r = ftp.Retrieve(name, name, folder);
    if (r != ftp::TransferResult::Done) removeQuietly(file);
    if (r == ftp::TransferResult::Unavailable) return DownloadResult::SomeMissing;
    if (r == ftp::TransferResult::Cancelled) return DownloadResult::Cancelled;
    if (r != ftp::TransferResult::Done) return DownloadResult::CommError;
    CFileMng fm;
    const int made = responseMessage ? fm.MakeResponseRecord(file) : fm.MakeStatusRecord(file);
    if (made != 0) {
        // Not a message file: without its record it would pass for backed up.
        removeQuietly(file);
        return DownloadResult::CommError;
    }
    return DownloadResult::Ok;
}

// The WAV file of a backed-up voice file, when "DOWNCONV" asks for it and it
// is not there yet. Ok, NoSpace, or the failed conversion of a fresh or an
// existing file.
DownloadResult convertIfAsked(const TransferContext& c, const fs::path& voiceFile, bool fetchedNow) {
    if (!c.convert) return DownloadResult::Ok;
    fs::path wav = voiceFile;
    wav.replace_extension(".wav");
    std::error_code ec;
    if (fs::exists(wav, ec)) return DownloadResult::Ok;
    const std::uint64_t length = fs::file_size(voiceFile, ec);
    if (ec) return DownloadResult::CommError;
    if (!enoughSpace(c.root, (length / kWavPerVoiceUnit + 1) * kSpaceUnit)) return DownloadResult::NoSpace;
    if (CFileMng().ConvertToWav(voiceFile, c.level) == 1) return DownloadResult::Ok;
    // A fresh file that cannot be converted goes again, as a download's does.
    if (fetchedNow) {
        removeQuietly(voiceFile);
        return DownloadResult::FreshConversionFailed;
    }
    return DownloadResult::ExistingConversionFailed;
}

// One listed file into `folder`: fetched unless it is backed up already, then
// converted when asked. Ok, SomeMissing, or the failure.
DownloadResult backupFile(CFtpMng& ftp, const TransferContext& c, const fs::path& folder, const listing::Entry& e,
                          bool responseMessage) {
    const fs::path file = folder / pathOf(e.name);
    if (!enoughSpace(c.root, roundedUp(static_cast<std::uint64_t>(e.size)))) return DownloadResult::NoSpace;
    bool fetchedNow = false;
    if (!alreadyBackedUp(file)) {
        if (const DownloadResult r = fetch(ftp, folder, e.name, responseMessage); r != DownloadResult::Ok) return r;
        fetchedNow = true;
    }
    if (!e.name.ends_with(store::kVmdat)) return DownloadResult::Ok;
    return convertIfAsked(c, file, fetchedNow);
}

DownloadResult listRemote(CFtpMng& ftp, std::u16string_view remotePath, const fs::path& root, std::u16string& listing) {
    long length = 0;
    const ftp::ListResult listed = ftp.ListBoxLong(remotePath, ftp::kListAll, listing, length, root);
    if (listed == ftp::ListResult::NoSuchDirectory) return DownloadResult::NoDirectory;
    if (listed != ftp::ListResult::Listed) return DownloadResult::CommError;
    return cancelRequested() ? DownloadResult::Cancelled : DownloadResult::Ok;
}

std::u16string lastComponent(std::u16string_view remotePath) {
    while (!remotePath.empty() && remotePath.back() == u'/') remotePath.remove_suffix(1);
    const std::size_t slash = remotePath.rfind(u'/');
    return std::u16string(slash == std::u16string_view::npos ? remotePath : remotePath.substr(slash + 1));
}

}  // namespace

// ------------------------------------------------------- transfer procedures

DownloadResult CountFiles(CFtpMng& ftp, std::u16string_view remotePath, int& count) {
    count = 0;
    std::u16string listing;
    const ftp::ListResult listed = ftp.ListBox(remotePath, ftp::kListAll, listing);
    if (listed == ftp::ListResult::NoSuchDirectory) return DownloadResult::NoDirectory;
    if (listed != ftp::ListResult::Listed) return DownloadResult::CommError;
    count = static_cast<int>(listing::CleanLines(listing).size());
    return DownloadResult::Ok;
}

DownloadResult BackupBox(CFtpMng& ftp, const TransferContext& c, std::u16string_view kind,
                         std::u16string_view remotePath) {
    std::u16string listing;
    if (const DownloadResult r = listRemote(ftp, remotePath, c.root, listing); r != DownloadResult::Ok) return r;
    const std::u16string box = lastComponent(remotePath);
    if (!listing::IsSafeName(box)) return DownloadResult::NoDirectory;

    bool missing = false;
    for (const listing::Entry& e : listing::MessageEntries(listing, listing::NameForm::BoxMessage)) {
        if (cancelRequested()) return DownloadResult::Cancelled;
        const std::u16string month = e.name.substr(0, kMonthChars);
        if (month < c.months.baseMonth || month > c.months.currentMonth) continue;
        const std::u16string monthFolder = MonthFolderName(month);
        const fs::path folder = c.root / pathOf(monthFolder) / pathOf(kind) / pathOf(box);
        const bool isInfo = e.name.ends_with(store::kVminf);

        if (const DownloadResult r = backupFile(ftp, c, folder, e, false); r != DownloadResult::Ok) {
            if (r != DownloadResult::SomeMissing) return r;
            missing = true;
            continue;
        }
        // The month stays open until the whole run has ended well.
        WriteRecord(c.root, monthFolder, TimeStamp(ports().clock->now()), kStatusIncomplete, kKindBoxes);
        if (isInfo) stepProgress();
    }
    return missing ? DownloadResult::SomeMissing : DownloadResult::Ok;
}

DownloadResult BackupResponseMessages(CFtpMng& ftp, const TransferContext& c) {
    std::u16string listing;
    if (const DownloadResult r = listRemote(ftp, kResponseRemote, c.root, listing); r != DownloadResult::Ok) return r;
    const fs::path folder = c.root / pathOf(c.months.current) / pathOf(store::kResponseFolder);

    bool missing = false;
    for (const listing::Entry& e : listing::MessageEntries(listing, listing::NameForm::ResponseMessage)) {
        if (cancelRequested()) return DownloadResult::Cancelled;
        if (!e.name.ends_with(store::kVmdat)) continue;
        if (const DownloadResult r = backupFile(ftp, c, folder, e, true); r != DownloadResult::Ok) {
            if (r != DownloadResult::SomeMissing) return r;
            missing = true;
            continue;
        }
        WriteRecord(c.root, c.months.current, TimeStamp(ports().clock->now()), kStatusIncomplete, kKindResponses);
        stepProgress();
    }
    return missing ? DownloadResult::SomeMissing : DownloadResult::Ok;
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

    RunResult Go();

private:
    enum class Attempt { Done, Again, Stop };
    enum class Outcome { Done, Failed, Cancelled };

    CFtpMng* Ftp() { return host_.Ftp(); }
    bool Login();
    void Logout();
    bool Wait();
    Outcome WithRetries(const std::function<Attempt()>& attempt, bool freshLogin);
    RunResult EndWithCommError(RunResult why);
    RunResult Finish(bool failed);
    DownloadResult CountAll(long& total);
    Attempt Transfer(const std::function<DownloadResult(CFtpMng&)>& procedure);

    BackupRunHost& host_;
    RunSettings& settings_;
    const BackupMonths& months_;
    RunOptions options_;
    TransferContext context_;
    std::vector<std::u16string> answering_, extension_;
    DownloadResult lastResult_ = DownloadResult::Ok;
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

RunResult Run::EndWithCommError(RunResult why) {
    host_.CloseProgress();
    if (options_.confirmed) prompt(std::u16string(kCommError), std::u16string(kErrorCaption), Icon::Exclamation);
    Logout();
    MarkMonths(context_.root, months_, kStatusIncomplete, ports().clock->now());
    host_.ResetIdleCount();
    host_.EnableMainWindow(true);
    return why;
}

RunResult Run::Finish(bool failed) {
    host_.CloseProgress();
    const bool cancelled = cancelRequested();
    if (cancelled) {
        failed = true;
    } else if (failed) {
        if (lastResult_ == DownloadResult::NoSpace)
            prompt(std::u16string(kNoSpace), std::u16string(kErrorCaption), Icon::Exclamation);
        else if (options_.confirmed)
            prompt(std::u16string(kCommError), std::u16string(kErrorCaption), Icon::Exclamation);
    }
    MarkMonths(context_.root, months_, failed ? kStatusIncomplete : kStatusComplete, ports().clock->now());
    Logout();
    host_.ResetIdleCount();
    host_.EnableMainWindow(true);
    if (!failed) return RunResult::Ok;
    if (cancelled) return RunResult::Cancelled;
    switch (lastResult_) {
    case DownloadResult::NoSpace: return RunResult::NoSpace;
    case DownloadResult::ExistingConversionFailed:
    case DownloadResult::FreshConversionFailed: return RunResult::ConversionFailed;
    default: return RunResult::CommError;
    }
}

DownloadResult Run::CountAll(long& total) {
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
                // A directory gone since the box listing has nothing to count.
                const DownloadResult r = ftp ? CountFiles(*ftp, folder, count) : DownloadResult::CommError;
                return r != DownloadResult::CommError ? Attempt::Done : Attempt::Again;
            },
            true);
        if (o != Outcome::Done) return o == Outcome::Cancelled ? DownloadResult::Cancelled : DownloadResult::CommError;
        total += count;
        pumpOne();
    }
    return DownloadResult::Ok;
}

Run::Attempt Run::Transfer(const std::function<DownloadResult(CFtpMng&)>& procedure) {
    CFtpMng* ftp = Ftp();
    lastResult_ = ftp ? procedure(*ftp) : DownloadResult::CommError;
    switch (lastResult_) {
    // A message that vanished from the main unit while the run fetched it
    // has nothing left to back up.
    case DownloadResult::Ok:
    case DownloadResult::SomeMissing: return Attempt::Done;
    case DownloadResult::NoSpace:
    case DownloadResult::Cancelled:
    case DownloadResult::FreshConversionFailed: return Attempt::Stop;
    // A box gone since the listing, a failed link, and a voice file already
    // here that would not convert are tried again.
    case DownloadResult::NoDirectory:
    case DownloadResult::CommError:
    case DownloadResult::ExistingConversionFailed: return Attempt::Again;
    }
    return Attempt::Again;
}

RunResult Run::Go() {
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
        if (o == Outcome::Failed) return EndWithCommError(RunResult::LoginFailed);
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
    if (listed == Outcome::Failed) return EndWithCommError(RunResult::CommError);

    long total = 0;
    if (const DownloadResult counted = CountAll(total); counted != DownloadResult::Ok)
        return counted == DownloadResult::Cancelled ? Finish(true) : EndWithCommError(RunResult::CommError);

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

RunResult RunBackup(BackupRunHost& host, RunSettings& settings, const BackupMonths& months, const RunOptions& options) {
    // Without a root folder the month folders would land wherever the program was started.
    if (settings.root.empty()) return RunResult::NoRootFolder;
    return Run(host, settings, months, options).Go();
}

}  // namespace plova::backup
