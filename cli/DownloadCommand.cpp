// plova-cli download: fetches the main unit's messages into a box folder, as
// the batch and selective downloads of the window do. Progress goes to
// stderr, a line per box; the closing message goes to stdout; the exit status
// is 0 only when the run downloaded everything it set out to.
#include <algorithm>
#include <iostream>
#include <optional>
#include <set>

#include "cli/Command.h"
#include "cli/LinkOptions.h"
#include "download/DownloadDrivers.h"
#include "download/DownloadMng.h"
#include "download/DryRun.h"
#include "folders/BoxFolders.h"
#include "link/CFtpMng.h"
#include "link/RemoteListing.h"
#include "platform/AppPaths.h"
#include "platform/Text.h"
#include "store/BoxFolderLock.h"
#include "store/CFileMng.h"

namespace plova::cli {
namespace {

namespace fs = std::filesystem;
constexpr const char* kName = "download";
constexpr const char* kSynopsis =
    "--host H [--port P] --user U (--password W | --password-file F) --folder BOXFOLDER [--kind full|info] "
    "[--box rusuroku/NAME]… [--box naisen/NAME]… [--no-responses] [--convert] [--dry-run]";

struct Options {
    LinkOptions link;
    fs::path folder;
    int kind = dl::kKindFull;
    std::vector<std::string> boxes;
    bool responses = true;
    bool convert = false;
    bool dryRun = false;
};

// The closing message on stdout: the one thing a script reads.
class StdoutPrompt final : public Prompt {
public:
    explicit StdoutPrompt(std::ostream& out) : out_(out) {}
    Answer Show(const std::u16string& text, const std::u16string&, Icon, Buttons buttons) override {
        out_ << ToUtf8(text) << '\n';
        return FirstButton(buttons);
    }

private:
    std::ostream& out_;
};

// Counts the messages the procedures report as done; no window exists.
class CountingProgress final : public Progress {
public:
    WindowHandle Find(const std::u16string& caption) override { return caption == dl::kProgressCaption ? 1 : 0; }
    void Send(WindowHandle window, int message, std::intptr_t, std::intptr_t) override {
        if (window != 0 && (message == msg::kNextItem || message == msg::kCounterStep)) ++done;
    }
    void Post(WindowHandle window, int message, std::intptr_t wparam, std::intptr_t lparam) override {
        Send(window, message, wparam, lparam);
    }
    int done = 0;
};

class TerminalView final : public DownloadView {
public:
    TerminalView(std::ostream& err, CountingProgress& progress, CFtpMng& ftp)
        : err_(err), progress_(progress), ftp_(ftp) {}
    void OpenProgress() override {}
    void SetTotals(int total, int) override {
        total_ = total;
        err_ << "plova-cli: download: " << total << (total == 1 ? " item" : " items") << " on the main unit\n";
    }
    void CloseProgress() override {
        if (total_ > 0)
            err_ << "plova-cli: download: " << std::min(progress_.done, total_) << '/' << total_ << " done\n";
    }
    void BoxStarted(std::u16string_view remote) override {
        err_ << "plova-cli: download: " << Printable(ToUtf8(remote)) << " (" << std::min(progress_.done, total_) << '/'
             << total_ << ")\n";
    }
    void Logout() override { ftp_.Logout(); }

private:
    std::ostream& err_;
    CountingProgress& progress_;
    CFtpMng& ftp_;
    int total_ = 0;
};

// Parses the arguments; a message for the user when they are wrong.
std::optional<std::string> parse(const Args& args, Options& o) {
    Args rest = args;
    if (auto problem = TakeLinkOptions(rest, o.link)) return problem;
    static const std::set<std::string> valued = {"--folder", "--kind", "--box"};
    bool haveFolder = false;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        const std::string& a = rest[i];
        if (a == "--no-responses") {
            o.responses = false;
            continue;
        }
        if (a == "--convert") {
            o.convert = true;
            continue;
        }
        if (a == "--dry-run") {
            o.dryRun = true;
            continue;
        }
        if (!valued.count(a) || i + 1 >= rest.size()) return "unknown option or missing value: " + a;
        const std::string& v = rest[++i];
        if (a == "--box") {
            o.boxes.push_back(v);
        } else if (a == "--folder") {
            o.folder = PathFromUtf8(v);
            haveFolder = !v.empty();
        } else if (v == "full" || v == "info") {
            o.kind = v == "full" ? dl::kKindFull : dl::kKindInfo;
        } else {
            return std::string("--kind is full or info");
        }
    }
    if (!haveFolder) return std::string("--folder is required");
    return std::nullopt;
}

// The boxes the main unit lists, as "rusuroku/NAME" and "naisen/NAME".
using ListedBoxes = std::set<std::string>;

// The box sub-folders named by --box, or a message naming the first unknown
// one: a box the main unit does not list, or one the box folder does not have.
std::optional<std::string> chosenBoxes(const Options& o, const ListedBoxes& listed, std::vector<BoxTarget>& targets,
                                       std::ostream& err) {
    for (const std::string& spec : o.boxes) {
        const auto slash = spec.find('/');
        const std::string kind = spec.substr(0, slash);
        const std::string name = slash == std::string::npos ? "" : spec.substr(slash + 1);
        if ((kind != "rusuroku" && kind != "naisen") || !listing::IsSafeName(FromUtf8(name)))
            return "--box takes rusuroku/NAME or naisen/NAME: " + spec;
        if (!listed.count(kind + "/" + name)) return "the main unit has no such box: " + Printable(spec);
        const fs::path folder = o.folder / kind / PathFromUtf8(name);
        std::error_code ec;
        if (!fs::is_directory(folder, ec)) return "no such box in " + Utf8Of(o.folder) + ": " + spec;
        if (CFileMng::ReadMake(folder) == store::kMakeByCommand) {
            err << "plova-cli: download: " << Printable(spec) << " was made on this PC and is skipped\n";
            continue;
        }
        targets.push_back(TargetOf(folder));
    }
    return std::nullopt;
}

// Why a run fell short, as the procedures reported it.
std::string shortfall(const BatchResult& run) {
    const BatchOutcome& o = run.outcome;
    if (o.cancelled) return "cancelled";
    switch (o.result) {
    case DownloadResult::CommError: return "communication error with the main unit; the session is closed";
    case DownloadResult::NoSpace: return "not enough free disk space";
    case DownloadResult::Cancelled: return "cancelled";
    case DownloadResult::ExistingConversionFailed:
    case DownloadResult::FreshConversionFailed: return "a WAV conversion failed";
    case DownloadResult::Ok:
    case DownloadResult::SomeMissing:
    case DownloadResult::NoDirectory: break;
    }
    if (o.conversionFailed) return "a WAV conversion failed";
    if (o.missing) return "some messages had gone from the main unit";
    if (!o.missingDirectories.empty()) {
        std::string names;
        for (const std::u16string& d : o.missingDirectories) names += (names.empty() ? "" : ", ") + ToUtf8(d);
        return "the box directory is missing on the main unit: " + Printable(names);
    }
    if (run.closing == Closing::NoMessages) return "no messages on the main unit";
    return "the download did not complete";
}

// --dry-run: what the download would fetch, found by listing the main unit
// and looking at the box folder; nothing is locked, made or written.
int runDryRun(const Options& o, std::ostream& out, std::ostream& err) {
    CFtpMng ftp;
    const ftp::LoginResult login =
        ftp.Login(FromUtf8(o.link.host), FromUtf8(o.link.user), FromUtf8(o.link.password), o.link.port);
    if (login != ftp::LoginResult::Ok) return Fail(err, kName, LoginFailure(login));
    std::vector<std::u16string> remotes;
    if (!o.boxes.empty()) {
        std::vector<std::u16string> listed;
        if (!dl::ListBoxDirectories(ftp, listed)) {
            ftp.Logout();
            return Fail(err, kName, "communication error while listing the main unit's folders");
        }
        for (const std::string& spec : o.boxes) {
            const std::u16string remote = u"/" + FromUtf8(spec);
            if (std::find(listed.begin(), listed.end(), remote) == listed.end()) {
                ftp.Logout();
                return Fail(err, kName, "the main unit has no such box: " + Printable(spec), kUsage);
            }
            remotes.push_back(remote);
        }
    }
    dl::Plan plan;
    const bool planned = dl::PlanDownload(ftp, o.folder, o.kind, remotes, o.responses, plan);
    ftp.Logout();
    if (!planned) return Fail(err, kName, "communication error while listing the main unit's messages");
    out << "plova-cli: download: dry run, nothing is fetched or written\n";
    for (const std::string& line : dl::DescribePlan(plan)) out << Printable(line) << '\n';
    return kOk;
}

int runDownload(const Args& args, std::ostream& out, std::ostream& err) {
    Options o;
    if (auto problem = parse(args, o)) return Fail(err, kName, *problem, kUsage);
    if (o.dryRun) return runDryRun(o, out, err);

    // One run at a time in a box folder (the window's commands, another
    // download): the second says so and does nothing. A folder that is to be
    // built is made first, so that its lock can live in it.
    const BoxFolderLock lock(o.folder, true);
    if (lock.Busy())
        return Fail(err, kName, "another run is working on " + Utf8Of(o.folder) + "; nothing was done", kBusy);
    if (!lock.Lock().Held()) {
        std::error_code ec;
        if (!fs::is_directory(o.folder, ec)) return Fail(err, kName, "not a folder: " + Utf8Of(o.folder));
        return Fail(err, kName, "cannot lock " + Utf8Of(lock.Lock().File()) + ": " + lock.Lock().Reason());
    }

    StdoutPrompt prompt(out);
    CountingProgress progress;
    CancelFlag cancel;
    SystemDiskSpace disk;
    ScopedPorts scope(Ports{&prompt, &progress, nullptr, &cancel, nullptr, &disk, nullptr});

    CFtpMng ftp;
    const ftp::LoginResult login =
        ftp.Login(FromUtf8(o.link.host), FromUtf8(o.link.user), FromUtf8(o.link.password), o.link.port);
    if (login != ftp::LoginResult::Ok) return Fail(err, kName, LoginFailure(login));
    TerminalView view(err, progress, ftp);

    // A folder that is not yet a box folder is built from the main unit's listing first.
    bool builtFolders = false;
    std::error_code ec;
    if (!fs::is_directory(o.folder, ec) || CFileMng::HasMessages(o.folder) == store::BoxContents::NoBoxFolders) {
        err << "plova-cli: download: building the box folders in " << PrintablePath(o.folder) << '\n';
        const Closing folders = DownloadFolders(ftp, o.folder, [](int) {});
        ShowClosing(folders);
        if (folders != Closing::FolderSuccess) {
            ftp.Logout();
            return Fail(
                err, kName,
                folders == Closing::None ? "cancelled" : "communication error while listing the main unit's folders");
        }
        builtFolders = true;
    }

    // What killed runs left in the boxes (a conversion's temporary files) goes first.
    SweepStaleTempFiles(o.folder);

    BatchRequest request;
    request.kind = o.kind;
    request.outouFolder = o.folder / "outou";
    if (o.boxes.empty()) {
        request.boxes = BoxTargets(o.folder);
        request.responses = o.responses;
    } else {
        std::u16string root, answering, extension;
        if (ftp.ListFolders(root, answering, extension) != ftp::ListResult::Listed) {
            ftp.Logout();
            return Fail(err, kName, "communication error while listing the main unit's folders");
        }
        ListedBoxes listed;
        for (const std::u16string& name : listing::BoxNames(answering)) listed.insert("rusuroku/" + ToUtf8(name));
        for (const std::u16string& name : listing::BoxNames(extension)) listed.insert("naisen/" + ToUtf8(name));
        if (auto problem = chosenBoxes(o, listed, request.boxes, err)) {
            ftp.Logout();
            return Fail(err, kName, *problem, kUsage);
        }
    }

    DownloadMng downloader(ftp, DownloadOptions{o.convert, 0});
    const BatchResult result = RunBatch(downloader, request, view);
    ftp.Logout();
    if (result.closing == Closing::Success) return kOk;
    if (builtFolders && result.closing == Closing::NoMessages) return kOk;
    return Fail(err, kName, shortfall(result));
}

}  // namespace

extern const Command downloadCommand;
const Command downloadCommand{
    kName, kSynopsis,
    "fetch the main unit's messages into BOXFOLDER (built from the main unit's listing when it holds no boxes): "
    "recording information and voice data (--kind full, with the system response messages unless "
    "--no-responses) or recording information only (--kind info), of every box or of the boxes named by --box; "
    "--convert makes a WAV file of each voice file; --dry-run logs in, lists and prints what would be fetched "
    "(names, sizes, totals per box and in all) and writes nothing; --password-file reads the password from the file's "
    "first "
    "line; the port is --port, else PLOVA_FTP_PORT, else 21. Progress on stderr, the closing message on stdout; "
    "exit status 0 only when everything was downloaded, else the reason on stderr; 75 when another run (the "
    "window, another download) is working on BOXFOLDER",
    runDownload};

}  // namespace plova::cli
