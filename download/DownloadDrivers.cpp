#include "download/DownloadDrivers.h"

#include <chrono>
#include <cstdio>
#include <system_error>
#include <thread>

#include "link/FtpReply.h"
#include "link/RemoteListing.h"
#include "oplog/OperationLog.h"
#include "platform/Text.h"
#include "store/CFileMng.h"

namespace plova {
namespace fs = std::filesystem;

namespace {

constexpr int kProgressRange = 100;

fs::path pathOf(std::u16string_view s) {
    return PathOfText(s);
}
std::u16string nameOf(const fs::path& p) {
    return NameText(p.filename());
}

// Results that do not stop a batch: a box the main unit does not have, and a
// voice file already here that could not be converted (ConversionFailed()
// tells of that at the end).
bool isRemoteResultOk(DownloadResult r) {
    return r == DownloadResult::Ok || r == DownloadResult::NoDirectory || r == DownloadResult::ExistingConversionFailed;
}

// A fresh file whose conversion failed ends a run as a cancel does.
bool stoppedLikeCancel(DownloadResult r) {
    return r == DownloadResult::Cancelled || r == DownloadResult::FreshConversionFailed;
}

}  // namespace

// ------------------------------------------------------- closing messages

ClosingMessage MessageOf(Closing closing) {
    switch (closing) {
    case Closing::None: return {u"", u"", Icon::None};
    case Closing::Success:
        return {u"ファイルのダウンロードが正常に完了しました。", dl::kDoneCaption, Icon::Information};
    case Closing::PartialMissing:
        return {u"一部の音声ファイルがダウンロードできませんでした\n(音声ファイルなし)。", dl::kDoneCaption,
                Icon::Information};
    case Closing::PartialNoSpace:
        return {u"一部の音声ファイルがダウンロードできませんでした\n(ＰＣのメモリ不足)。", dl::kDoneCaption,
                Icon::Information};
    case Closing::AlreadyDeleted:
        return {u"音声ファイルは既に消去されています。", dl::kErrorCaption, Icon::Exclamation};
    case Closing::NoSpace: return {u"ＰＣのメモリ不足です。", dl::kErrorCaption, Icon::Exclamation};
    case Closing::CommError: return {u"通信エラーが発生しました。", dl::kErrorCaption, Icon::Exclamation};
    case Closing::ConvertFailed: return {u"ＷＡＶファイル変換に失敗しました。", dl::kErrorCaption, Icon::Exclamation};
    case Closing::NoMessages: return {u"音声メッセージがありません。", dl::kErrorCaption, Icon::Exclamation};
    case Closing::FolderSuccess:
        return {u"フォルダのダウンロードが正常に完了しました。", dl::kDoneCaption, Icon::Information};
    }
    return {u"", u"", Icon::None};
}

void ShowClosing(Closing closing) {
    if (closing == Closing::None) return;
    const ClosingMessage m = MessageOf(closing);
    ShowPrompt(std::u16string(m.text), std::u16string(m.caption), m.icon);
}

bool ConfirmDownload(std::u16string_view boxFolderName) {
    std::u16string text(boxFolderName);
    text += u"にダウンロードします。\nよろしいですか？";
    return ShowPrompt(text, std::u16string(dl::kConfirmCaption), Icon::Question, Buttons::YesNo) == Answer::Yes;
}

Closing ChooseBatchClosing(const BatchOutcome& o) {
    if (o.cancelled) return Closing::None;
    Closing c = Closing::None;
    if (o.total > 1) {
        if (o.result == DownloadResult::Ok && !o.missing)
            c = Closing::Success;
        else if (stoppedLikeCancel(o.result))
            c = Closing::ConvertFailed;
        else if (o.result != DownloadResult::Ok && o.result != DownloadResult::NoSpace)
            c = Closing::CommError;
        else if (o.handled > 0 && o.handled < o.total)
            c = o.missing ? Closing::PartialMissing : Closing::PartialNoSpace;
        else
            c = o.missing ? Closing::AlreadyDeleted : Closing::NoSpace;
    } else {
        if (o.result == DownloadResult::Ok && !o.missing)
            c = Closing::Success;
        else if (o.missing)
            c = Closing::AlreadyDeleted;
        else if (o.result == DownloadResult::NoSpace)
            c = Closing::NoSpace;
        // Not a cancel: a conversion that failed. It says so, and the session stays.
        else if (stoppedLikeCancel(o.result))
            c = Closing::ConvertFailed;
        else
            c = Closing::CommError;
    }
    // A conversion that failed on a file already here is not a success.
    if (c == Closing::Success && o.conversionFailed) c = Closing::ConvertFailed;
    return c;
}

namespace {

std::vector<Closing> voiceFilesClosing(const VoiceOutcome& o) {
    const bool fewOrAllFailed = o.handled <= 1 || o.failed == o.rows;
    std::vector<Closing> shown;
    if (o.missing) {
        if (fewOrAllFailed) {
            shown.push_back(Closing::AlreadyDeleted);
            if (o.failed == o.rows && o.noSpace) shown.push_back(Closing::NoSpace);
            return shown;
        }
        shown.push_back(Closing::PartialMissing);
    }
    if (o.noSpace) shown.push_back(fewOrAllFailed ? Closing::NoSpace : Closing::PartialNoSpace);
    return shown;
}

}  // namespace

std::vector<Closing> ChooseVoiceClosing(const VoiceOutcome& o) {
    if (o.cancelled) return {};
    std::vector<Closing> shown = voiceFilesClosing(o);
    if (shown.empty() && o.lastResult != DownloadResult::Ok) return {Closing::CommError};
    // A row whose conversion failed is told of as well as rows that are gone
    // or did not fit: the user would otherwise take its voice data for fetched.
    if (o.conversionFailed) shown.push_back(Closing::ConvertFailed);
    if (shown.empty()) shown.push_back(Closing::Success);
    return shown;
}

// ------------------------------------------------------------------ boxes

BoxTarget TargetOf(const fs::path& boxSubFolder) {
    const bool extension = boxSubFolder.parent_path().filename() == pathOf(store::kExtensionFolder);
    std::u16string remote(extension ? dl::kRemoteExtension : dl::kRemoteAnswering);
    remote += nameOf(boxSubFolder);
    return {remote, boxSubFolder};
}

std::vector<BoxTarget> BoxTargets(const fs::path& boxFolder) {
    std::vector<BoxTarget> targets;
    for (const auto kind : {store::kAnsweringFolder, store::kExtensionFolder}) {
        for (const fs::path& box : CFileMng::ListSubFolders(boxFolder / pathOf(kind))) {
            if (CFileMng::ReadMake(box) == store::kMakeByCommand) continue;
            targets.push_back(TargetOf(box));
        }
    }
    return targets;
}

// ------------------------------------------------------------ batch driver

BatchResult RunBatch(DownloadMng& downloader, const BatchRequest& request, DownloadView& view) {
    CurrentPorts().cancel->Clear();
    downloader.ClearConversionFailed();
    view.OpenProgress();
    BatchResult out;
    BatchOutcome& o = out.outcome;
    const bool withResponses = request.responses && request.kind == dl::kKindFull;
    oplog::Operation log(
        "download", request.outouFolder.parent_path(),
        request.kind == dl::kKindFull ? "recording information and voice data" : "recording information");
    downloader.SetLog(&log);

    auto finish = [&](Closing closing) {
        downloader.SetLog(nullptr);
        if (o.cancelled)
            log.Finish(oplog::Result::Cancelled);
        else if (closing == Closing::CommError || o.result != DownloadResult::Ok)
            log.Finish(log.HasMessages() ? oplog::Result::Partial : oplog::Result::Failed);
        else if (log.HasMessages())
            log.Finish();
        else
            log.Drop();  // nothing was fetched: nothing changed
        view.CloseProgress();
        out.closing = closing;
        ShowClosing(closing);
        if (closing == Closing::CommError) view.Logout();
        return out;
    };

    // Count phase.
    const int countKind = request.kind == dl::kKindFull ? dl::kCountAll : dl::kCountInfo;
    auto count = [&](std::u16string_view remote, const fs::path& local) {
        int n = 0;
        int messages = 0;
        const DownloadResult r = downloader.CountFiles(remote, local, countKind, n, &messages);
        o.total += n;
        o.messages += messages;
        if (r == DownloadResult::NoDirectory) o.missingDirectories.emplace_back(remote);
        if (r == DownloadResult::CommError) o.result = r;
        return r != DownloadResult::CommError;
    };
    for (const BoxTarget& box : request.boxes) {
        if (CurrentPorts().cancel->IsSet()) break;
        if (!count(box.remoteDirectory, box.localFolder)) return finish(Closing::CommError);
    }
    if (withResponses && !CurrentPorts().cancel->IsSet() && !count(dl::kRemoteResponses, request.outouFolder))
        return finish(Closing::CommError);
    if (CurrentPorts().cancel->IsSet()) {
        o.cancelled = true;
        return finish(Closing::None);
    }
    if (o.total < 1) return finish(Closing::NoMessages);
    // Kind 1 counts its files, one per message; kind 0 counts messages as
    // they finish, whether of two files or, for a response message, of one.
    if (request.kind == dl::kKindInfo)
        view.SetTotals(o.total, o.total);
    else
        view.SetTotals(o.messages, kProgressRange);

    // Download phase.
    for (const BoxTarget& box : request.boxes) {
        if (o.result != DownloadResult::Ok || CurrentPorts().cancel->IsSet()) break;
        view.BoxStarted(box.remoteDirectory);
        int handled = 0;
        int listed = 0;
        const DownloadResult r = request.kind == dl::kKindFull
                                     ? downloader.DownloadBox(box.remoteDirectory, box.localFolder, handled, listed)
                                     : downloader.DownloadBoxInfo(box.remoteDirectory, box.localFolder, handled);
        o.handled += handled;
        if (r == DownloadResult::SomeMissing)
            o.missing = true;
        else if (!isRemoteResultOk(r))
            o.result = r;
    }
    if (withResponses && o.result == DownloadResult::Ok && !CurrentPorts().cancel->IsSet()) {
        view.BoxStarted(dl::kRemoteResponses);
        std::error_code ec;
        fs::create_directories(request.outouFolder, ec);
        int handled = 0;
        int voiceListed = 0;
        const DownloadResult r = downloader.DownloadResponseMessages(request.outouFolder, handled, voiceListed);
        o.handled += handled;
        if (r == DownloadResult::SomeMissing)
            o.missing = o.missing || voiceListed > 0;
        else if (!isRemoteResultOk(r))
            o.result = r;
    }
    o.cancelled = CurrentPorts().cancel->IsSet();
    o.conversionFailed = downloader.ConversionFailed();
    return finish(ChooseBatchClosing(o));
}

// ------------------------------------------------------ voice of chosen rows

VoiceResult DownloadSelectedVoice(DownloadMng& downloader, const std::vector<fs::path>& rows, DownloadView& view) {
    VoiceResult out;
    if (rows.empty()) {
        ShowPrompt(std::u16string(dl::kNotSelected), std::u16string(dl::kErrorCaption), Icon::Exclamation);
        out.reload = false;
        return out;
    }
    CurrentPorts().cancel->Clear();
    downloader.ClearConversionFailed();
    view.OpenProgress();
    view.SetTotals(static_cast<int>(rows.size()), kProgressRange);
    VoiceOutcome& o = out.outcome;
    o.rows = static_cast<int>(rows.size());
    const WindowHandle window = CurrentPorts().progress->Find(std::u16string(dl::kProgressCaption));
    bool broken = false;
    bool stopped = false;
    // The rows lie in "rusuroku/<box>" or "naisen/<box>" of the box folder.
    oplog::Operation log("download", rows.front().parent_path().parent_path().parent_path(),
                         "voice data of chosen messages");
    downloader.SetLog(&log);

    for (const fs::path& row : rows) {
        if (CurrentPorts().cancel->IsSet()) break;
        const fs::path folder = row.parent_path();
        const BoxTarget box = TargetOf(folder);
        fs::path voice = row.filename();
        voice.replace_extension(pathOf(store::kVmdat));
        const std::u16string voiceName = nameOf(voice);
        const std::u16string remotePath = box.remoteDirectory + u"/" + voiceName;
        ++o.handled;

        std::int64_t size = 0;
        std::int64_t listed = -1;
        const SizeResult found = downloader.RemoteFileSize(box.remoteDirectory, folder, voiceName, size, &listed);
        if (found == SizeResult::CommError) {
            broken = true;
            o.lastResult = DownloadResult::CommError;
            break;
        }
        if (found != SizeResult::Found) {
            o.missing = true;
            ++o.failed;
            log.Add(voice, oplog::Outcome::Skipped, "gone from the main unit");
        } else if (CurrentPorts().disk->FreeBytes(folder) < static_cast<std::uint64_t>(size)) {
            o.noSpace = true;
            ++o.failed;
            log.Add(voice, oplog::Outcome::Failed, "not enough free disk space");
        } else {
            CurrentPorts().progress->Send(window, msg::kBarRange, static_cast<std::intptr_t>(listed / 1024), 0);
            const DownloadResult r = downloader.DownloadVoice(folder, remotePath, voiceName, listed);
            o.lastResult = r;
            if (r == DownloadResult::Cancelled) {
                stopped = true;
                break;
            }
            if (r == DownloadResult::FreshConversionFailed) {
                // This row has no voice data now, the others may still get
                // theirs; the closing says that a conversion failed.
                ++o.failed;
                o.lastResult = DownloadResult::Ok;
            } else if (r != DownloadResult::Ok && r != DownloadResult::SomeMissing && r != DownloadResult::NoSpace) {
                // The session is gone: further rows cannot be fetched, and
                // the closing must say so rather than blame the main unit's files.
                broken = true;
                break;
            } else if (r != DownloadResult::Ok) {
                ++o.failed;
                o.missing = o.missing || r == DownloadResult::SomeMissing;
                o.noSpace = o.noSpace || r == DownloadResult::NoSpace;
                o.lastResult = DownloadResult::Ok;
            }
        }
        CurrentPorts().progress->Send(window, msg::kStatusDownload, 0, 0);
        CurrentPorts().progress->Send(window, msg::kNextItem, 0, 0);
    }
    view.CloseProgress();
    o.cancelled = CurrentPorts().cancel->IsSet();
    o.conversionFailed = downloader.ConversionFailed();
    downloader.SetLog(nullptr);
    if (o.cancelled || stopped)
        log.Finish(oplog::Result::Cancelled);
    else if (broken)
        log.Finish(log.HasMessages() ? oplog::Result::Partial : oplog::Result::Failed);
    if (broken)
        out.shown = {Closing::CommError};
    else if (!stopped)
        out.shown = ChooseVoiceClosing(o);
    if (o.cancelled) out.shown.clear();
    for (Closing c : out.shown) ShowClosing(c);
    if (!out.shown.empty() && out.shown.front() == Closing::CommError) {
        view.Logout();
        out.reload = false;
    }
    return out;
}

// --------------------------------------------------------- folder download

Closing DownloadFolders(CFtpMng& ftp, const fs::path& boxFolder, const std::function<void(int)>& bar) {
    for (int i = 0; i < dl::kFolderPumpSteps; ++i) {
        PumpOne();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    // Every folder this run makes, in the order made; only these are ever
    // marked unfinished or removed again.
    std::vector<fs::path> created;
    auto make = [&](const fs::path& folder, bool mark) {
        if (!CFileMng::CreateFolder(folder)) return;
        created.push_back(folder);
        if (mark) CFileMng::WriteMake(folder, u"2");
    };
    std::error_code ec;
    if (!fs::exists(boxFolder, ec)) {
        fs::create_directories(boxFolder, ec);
        if (!ec) created.push_back(boxFolder);
    }

    std::u16string root;
    std::u16string answering;
    std::u16string extension;
    const ftp::ListResult listed = ftp.ListFolders(root, answering, extension);
    bar(dl::kFolderBarListed);
    bool ok = listed == ftp::ListResult::Listed;
    if (ok) {
        bar(dl::kFolderBarListOk);
        const struct {
            std::u16string_view folder;
            const std::u16string& listing;
            int barAfter;
        } kinds[] = {{store::kAnsweringFolder, answering, dl::kFolderBarAnswering},
                     {store::kExtensionFolder, extension, dl::kFolderBarDone}};
        for (const auto& kind : kinds) {
            const fs::path kindFolder = boxFolder / pathOf(kind.folder);
            make(kindFolder, false);
            for (const std::u16string& name : listing::BoxNames(kind.listing)) {
                PumpOne();
                if (CurrentPorts().cancel->IsSet()) break;
                make(kindFolder / pathOf(name), true);
            }
            if (kind.barAfter != dl::kFolderBarDone) bar(kind.barAfter);
        }
        make(boxFolder / pathOf(store::kResponseFolder), true);
        bar(dl::kFolderBarDone);
        ok = fs::is_directory(boxFolder / pathOf(store::kAnsweringFolder), ec) &&
             fs::is_directory(boxFolder / pathOf(store::kExtensionFolder), ec) &&
             fs::is_directory(boxFolder / pathOf(store::kResponseFolder), ec);
    }
    const bool cancelled = CurrentPorts().cancel->IsSet();
    if (ok && !cancelled) {
        std::vector<fs::path> marked = {boxFolder / pathOf(store::kResponseFolder)};
        for (const auto kind : {store::kAnsweringFolder, store::kExtensionFolder})
            for (const fs::path& box : CFileMng::ListSubFolders(boxFolder / pathOf(kind))) marked.push_back(box);
        for (const auto& folder : marked)
            if (CFileMng::ReadMake(folder) == store::kMakeUnfinished) CFileMng::WriteMake(folder, u"0");
        return Closing::FolderSuccess;
    }
    // Undo in reverse order, so a kind folder is empty by the time it is looked at.
    for (auto it = created.rbegin(); it != created.rend(); ++it) {
        if (CFileMng::ReadMake(*it) == store::kMakeUnfinished)
            fs::remove_all(*it, ec);
        else if (fs::is_empty(*it, ec))
            fs::remove(*it, ec);
    }
    return cancelled ? Closing::None : Closing::CommError;
}

}  // namespace plova
