#include "download/DownloadMng.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstring>
#include <optional>
#include <set>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include "link/FtpReply.h"
#include "link/RemoteListing.h"
#include "oplog/OperationLog.h"
#include "platform/File.h"
#include "platform/Ports.h"
#include "platform/Text.h"
#include "store/CFileMng.h"
#include "store/Conversion.h"
#include "store/FileOps.h"

namespace plova {
namespace fs = std::filesystem;

namespace {

constexpr std::u16string_view kReceivingVoice = u".dl_dat";
constexpr std::u16string_view kReceivingInfo = u".dl_inf";
// A receiving file nobody has written to for this long belongs to no run.
constexpr std::chrono::hours kReceivingFileAge{1};
constexpr std::int64_t kBlockKiB = 1024;
constexpr std::int64_t kVoiceSpaceFactor = 16;

fs::path pathOf(std::u16string_view s) {
    return PathOfText(s);
}

bool hasWord(std::u16string_view line, std::u16string_view word) {
    return line.find(word) != std::u16string_view::npos;
}

std::int64_t fileLength(const fs::path& p) {
    std::error_code ec;
    const auto n = fs::file_size(p, ec);
    return ec ? -1 : static_cast<std::int64_t>(n);
}

// A message file received under its receiving name: the space of its status
// record is kept free at the front while the data arrive behind it, and the
// recording block they start with is kept aside, so the record can be built
// and written in place once the data are complete, without reading the file
// again. Only the rename that follows makes it a message.
class ReceivingFile final : public FTP_SESSION::RetrieveSink {
public:
    explicit ReceivingFile(fs::path path) : path_(std::move(path)) {}
    bool Open() override {
        opened_ = true;
        file_ = OpenForRewrite(path_);
        const StatusRecordBytes room{};
        return file_ && file_.WriteAll(room.data(), room.size());
    }
    bool Write(const char* bytes, std::size_t size) override {
        const auto kept = static_cast<std::size_t>(length_);
        if (kept < block_.size()) {
            const std::size_t take = std::min(size, block_.size() - kept);
            std::memcpy(block_.data() + length_, bytes, take);
        }
        length_ += static_cast<std::int64_t>(size);
        return file_.WriteAll(bytes, size);
    }
    bool Close() override { return true; }  // the record is still to come

    [[nodiscard]] std::int64_t Length() const { return length_; }
    [[nodiscard]] bool HasBlock() const { return length_ >= static_cast<std::int64_t>(block_.size()); }
    [[nodiscard]] const BlockBytes& Block() const { return block_; }
    [[nodiscard]] const fs::path& Path() const { return path_; }
    bool Finish(const FILESTS_INFO& record) {
        const StatusRecordBytes head = record.ToBytes();
        return file_.WriteAllAt(0, head.data(), head.size()) && file_.CloseChecked();
    }
    // Nothing of a transfer that did not end well stays behind.
    void Discard() {
        file_.Close();
        if (opened_) store::RemoveFile(path_);
    }

private:
    fs::path path_;
    FileHandle file_;
    BlockBytes block_{};
    std::int64_t length_ = 0;
    bool opened_ = false;
};

fs::path withExtension(fs::path p, std::u16string_view extension) {
    p.replace_extension(pathOf(extension));
    return p;
}

fs::path companionOf(const fs::path& file) {
    return withExtension(file, file.extension() == pathOf(store::kVmdat) ? store::kVminf : store::kVmdat);
}

// The progress window the procedures drive, looked up once per procedure.
struct Window {
    WindowHandle handle = CurrentPorts().progress->Find(std::u16string(ftp::kDownloadWindowCaption));
    void Send(int message, std::intptr_t wparam = 0) { CurrentPorts().progress->Send(handle, message, wparam, 0); }
};

listing::NameForm formOf(std::u16string_view remoteDirectory) {
    return hasWord(remoteDirectory, u"outou") ? listing::NameForm::ResponseMessage : listing::NameForm::BoxMessage;
}

}  // namespace

int ResultCode(DownloadResult result) {
    switch (result) {
    case DownloadResult::Ok: return 0;
    case DownloadResult::SomeMissing: return 550;
    case DownloadResult::CommError: return -1;
    case DownloadResult::NoDirectory:
    case DownloadResult::ExistingConversionFailed: return -2;
    case DownloadResult::Cancelled:
    case DownloadResult::FreshConversionFailed: return -3;
    case DownloadResult::NoSpace: return -4;
    }
    return -1;
}

int ResultCode(SizeResult result) {
    switch (result) {
    case SizeResult::Found: return 1;
    case SizeResult::NotListed: return 0;
    case SizeResult::NoDirectory: return -2;
    case SizeResult::CommError: return -1;
    }
    return -1;
}

namespace dl {
int MessageCount(const std::vector<std::u16string>& names) {
    std::set<std::u16string_view> stems;
    for (const std::u16string& name : names) stems.insert(std::u16string_view(name).substr(0, name.rfind(u'.')));
    return static_cast<int>(stems.size());
}

std::int64_t SpaceForFile(std::int64_t size) {
    return (size / kClusterBytes + 1) * kClusterBytes;
}
std::int64_t SpaceForVoiceConversion(std::int64_t voiceBytes) {
    return (voiceBytes * kVoiceSpaceFactor / kClusterBytes + 1) * kClusterBytes;
}
}  // namespace dl

fs::path DownloadMng::ReceivingName(const fs::path& finalPath) {
    // The process of the run in the name: two runs never receive into one
    // file, and the sweep tells the files of a run that is gone.
    const std::u16string extension =
        u"." + FromUtf8(std::to_string(CurrentProcessId())) +
        std::u16string(finalPath.extension() == pathOf(store::kVminf) ? kReceivingInfo : kReceivingVoice);
    return withExtension(finalPath, extension);
}

void DownloadMng::SweepReceivingFiles(const fs::path& folder) {
    const fs::file_time_type cutoff = fs::file_time_type::clock::now() - kReceivingFileAge;
    std::error_code ec;
    std::vector<fs::path> stale;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path ext = it->path().extension();
        if (ext != pathOf(kReceivingVoice) && ext != pathOf(kReceivingInfo)) continue;
        std::error_code e;
        if (fs::symlink_status(it->path(), e).type() != fs::file_type::regular) continue;
        // "<stem>.<process>.dl_dat": a file of a run still going stays, unless
        // nothing has been written to it for long (the number may be another
        // process's by now).
        const std::string runPart = Utf8Of(it->path().stem().extension());
        const std::optional<long> run =
            runPart.size() > 1 ? ParseWholeNumber(runPart.substr(1), 1, LONG_MAX) : std::nullopt;
        const bool going = run && *run != CurrentProcessId() && ProcessRunning(*run);
        const fs::file_time_type written = fs::last_write_time(it->path(), e);
        if (!going || (!e && written < cutoff)) stale.push_back(it->path());
    }
    for (const auto& p : stale) store::RemoveFile(p);
}

bool DownloadMng::enoughSpace(const fs::path& folder, std::int64_t bytes) {
    return CurrentPorts().disk->FreeBytes(folder) >= static_cast<std::uint64_t>(bytes);
}

DownloadMng::Conversion DownloadMng::convert(const fs::path& voiceFile) {
    const std::int64_t length = fileLength(voiceFile);
    if (!enoughSpace(voiceFile.parent_path(),
                     static_cast<std::int64_t>(store::SpaceToConvertToWav(length < 0 ? 0 : length))))
        return Conversion::NoSpace;
    if (store::ConvertToWav(voiceFile, options_.levelSetting)) return Conversion::Done;
    conversionFailed_ = true;
    return Conversion::Failed;
}

DownloadResult DownloadMng::receive(std::u16string_view remoteName, const fs::path& finalPath, std::int64_t listedSize,
                                    bool resetProgress, bool noProgress, Record record, bool keepExisting) {
    const DownloadResult r =
        receiveFile(remoteName, finalPath, listedSize, resetProgress, noProgress, record, keepExisting);
    if (log_ == nullptr) return r;
    switch (r) {
    case DownloadResult::Ok: log_->Add(finalPath, oplog::Outcome::Done); break;
    case DownloadResult::SomeMissing:
        log_->Add(finalPath, oplog::Outcome::Skipped, "gone from the main unit or not a message");
        break;
    case DownloadResult::Cancelled: break;
    default: log_->Add(finalPath, oplog::Outcome::Failed, "the transfer failed"); break;
    }
    return r;
}

DownloadResult DownloadMng::receiveFile(std::u16string_view remoteName, const fs::path& finalPath,
                                        std::int64_t listedSize, bool resetProgress, bool noProgress, Record record,
                                        bool keepExisting) {
    // The procedure holds a transfer scope and has drained the control
    // connection once: each file goes straight to the session, without the
    // wrapper's drain, which waits a little for stray replies every time.
    FTP_SESSION* session = ftp_.Session();
    if (session == nullptr) return DownloadResult::CommError;
    ReceivingFile receiving(ReceivingName(finalPath));
    // The transfer stops as soon as it passes the listed size.
    const ftp::TransferResult r = session->RetrieveTo(remoteName, receiving, resetProgress, noProgress, listedSize);
    if (r != ftp::TransferResult::Done) {
        receiving.Discard();
        if (r == ftp::TransferResult::Cancelled) return DownloadResult::Cancelled;
        return r == ftp::TransferResult::Unavailable ? DownloadResult::SomeMissing : DownloadResult::CommError;
    }
    // A connection that ends early looks like the end of the file; the
    // listing's figure tells the two apart.
    if (listedSize >= 0 && receiving.Length() != listedSize) {
        receiving.Discard();
        return DownloadResult::CommError;
    }
    FILESTS_INFO status;
    const bool built = receiving.HasBlock() &&
                       (record == Record::Box ? CFileMng::BuildStatusRecord(receiving.Block(), finalPath, status)
                                              : CFileMng::BuildResponseRecord(receiving.Block(), status));
    // Not a message file: it cannot be used, and the run goes on without it.
    if (!built) {
        receiving.Discard();
        return DownloadResult::SomeMissing;
    }
    if (!receiving.Finish(status)) {
        receiving.Discard();
        return DownloadResult::CommError;
    }
    if (keepExisting && store::SomethingAt(finalPath)) {
        receiving.Discard();
        return DownloadResult::Ok;
    }
    std::error_code ec;
    fs::rename(receiving.Path(), finalPath, ec);
    if (ec) {
        receiving.Discard();
        return DownloadResult::CommError;
    }
    return DownloadResult::Ok;
}

DownloadResult DownloadMng::listLong(std::u16string_view remoteDirectory, int kind, const fs::path& localFolder,
                                     std::u16string& listing) {
    long lengthBytes = 0;
    const ftp::ListResult r = ftp_.ListBoxLong(remoteDirectory, kind, listing, lengthBytes, localFolder);
    if (r == ftp::ListResult::NoSuchDirectory) return DownloadResult::NoDirectory;
    return r == ftp::ListResult::Listed ? DownloadResult::Ok : DownloadResult::CommError;
}

// ------------------------------------------------------------- CountFiles

DownloadResult DownloadMng::CountFiles(std::u16string_view remoteDirectory, const fs::path& localFolder, int kind,
                                       int& count, int* messages) {
    count = 0;
    if (messages) *messages = 0;
    if (!ftp_.HasSession()) return DownloadResult::CommError;
    std::u16string listing;
    const ftp::ListResult r = ftp_.ListBox(remoteDirectory, kind, listing, localFolder);
    if (r == ftp::ListResult::NoSuchDirectory) return DownloadResult::NoDirectory;
    if (r != ftp::ListResult::Listed) return DownloadResult::CommError;
    // Only names that can be fetched count: a line that is no message name
    // would otherwise keep the handled count below the total for ever.
    const std::vector<std::u16string> names = listing::MessageNames(listing, formOf(remoteDirectory));
    count = static_cast<int>(names.size());
    if (messages) *messages = dl::MessageCount(names);
    return DownloadResult::Ok;
}

// ------------------------------------------------------------ DownloadBox

// One run of DownloadBox: the message being handled and the files this run
// has fetched of it. A cancel or a failure takes those away again, so that no
// message is left with half of its pair; files that were here before stay.
struct DownloadMng::BoxRun {
    BoxRun(const fs::path& f, int& h) : folder(f), handled(h) {}
    const fs::path& folder;
    int& handled;
    Window window;
    bool missing = false;
    std::u16string stem;
    std::vector<fs::path> fetched;
    fs::path pendingVoice;  // the voice file waiting for its ".vminf" to be converted

    void EnterMessage(std::u16string_view entryStem) {
        if (entryStem == stem) return;
        stem = entryStem;
        fetched.clear();
    }
    void DropFetched() {
        for (const auto& p : fetched) store::RemoveFile(p);
        fetched.clear();
    }
    // On a cancel between two files: both files of the message complete, it stays.
    void DropHalfMessage() {
        if (fetched.size() == 1 && !store::SomethingAt(companionOf(fetched.front()))) DropFetched();
    }
};

DownloadResult DownloadMng::DownloadBox(std::u16string_view remoteDirectory, const fs::path& localFolder, int& handled,
                                        int& listed) {
    handled = 0;
    listed = 0;
    if (!ftp_.HasSession()) return DownloadResult::CommError;
    CFtpMng::TransferScope scope(ftp_, localFolder);
    std::u16string listing;
    if (const DownloadResult r = listLong(remoteDirectory, ftp::kListAll, localFolder, listing);
        r != DownloadResult::Ok)
        return r;
    if (CancelRequested()) return DownloadResult::Cancelled;
    SweepReceivingFiles(localFolder);

    const std::vector<std::u16string> lines = listing::CleanLines(listing);
    listed = static_cast<int>(lines.size());
    BoxRun run(localFolder, handled);
    for (const std::u16string& line : lines) {
        if (CancelRequested()) {
            run.DropHalfMessage();
            return DownloadResult::Cancelled;
        }
        if (!hasWord(line, u"vmdat") && !hasWord(line, u"vminf")) continue;
        const auto entry = listing::EntryFromLongLine(line, listing::NameForm::BoxMessage);
        if (!entry) continue;  // a name that must not become a local path
        if (const DownloadResult r = downloadBoxFile(run, *entry); r != DownloadResult::Ok) return r;
    }
    if (CancelRequested()) return DownloadResult::Cancelled;
    return run.missing ? DownloadResult::SomeMissing : DownloadResult::Ok;
}

// One file of the listing, kept when it is here whole, fetched otherwise.
// Ok to go on with the next one (a file the main unit no longer has is noted
// as missing and not counted); any other result ends the run.
DownloadResult DownloadMng::downloadBoxFile(BoxRun& run, const listing::Entry& entry) {
    const bool isVoice = entry.name.ends_with(store::kVmdat);
    run.EnterMessage(std::u16string_view(entry.name).substr(0, entry.name.size() - store::kVmdat.size()));
    const fs::path local = run.folder / pathOf(entry.name);

    if (!enoughSpace(run.folder, dl::SpaceForFile(entry.size))) return DownloadResult::NoSpace;
    const bool here = store::IsCompleteMessage(local, entry.size);
    if (isVoice) {
        run.window.Send(msg::kBarRange, static_cast<std::intptr_t>(entry.size / kBlockKiB));
        ftp_.Session()->progressCount = 0;
    }

    bool counted = true;
    if (here) {
        run.window.Send(msg::kBarPosition, isVoice ? dl::kBarExistingVoice : dl::kBarFull);
        if (isVoice) {
            run.pendingVoice = local;
        } else if (const DownloadResult r = convertPendingVoice(run, local, false); r != DownloadResult::Ok) {
            return r;
        }
    } else {
        const DownloadResult got = receive(entry.name, local, entry.size, true, false, Record::Box);
        if (got == DownloadResult::Cancelled) {
            run.DropFetched();
            return DownloadResult::Cancelled;
        }
        if (got != DownloadResult::Ok && got != DownloadResult::SomeMissing) {
            run.DropFetched();
            return DownloadResult::CommError;
        }
        run.window.Send(msg::kBarPosition, dl::kBarFull);
        if (got == DownloadResult::SomeMissing) {
            run.missing = true;
            counted = false;
        } else {
            run.fetched.push_back(local);
            if (isVoice) {
                if (options_.convert) run.pendingVoice = local;
            } else if (const DownloadResult r = convertPendingVoice(run, local, true); r != DownloadResult::Ok) {
                return r;
            }
        }
    }
    if (!isVoice) {
        run.window.Send(msg::kStatusDownload);
        run.window.Send(msg::kNextItem);
    }
    if (counted) ++run.handled;
    return DownloadResult::Ok;
}

DownloadResult DownloadMng::convertPendingVoice(BoxRun& run, const fs::path& infoFile, bool infoFetched) {
    if (options_.convert) {
        run.window.Send(msg::kStatusConvert);
        if (run.pendingVoice == withExtension(infoFile, store::kVmdat)) {
            const Conversion c = convert(run.pendingVoice);
            if (c == Conversion::NoSpace) return DownloadResult::NoSpace;
            if (c != Conversion::Done) {
                if (!infoFetched) return DownloadResult::ExistingConversionFailed;
                // Only a voice file this run fetched goes; one the user had stays.
                for (const auto& p : run.fetched)
                    if (p == run.pendingVoice) store::RemoveFile(p);
                return DownloadResult::FreshConversionFailed;
            }
        }
    }
    run.pendingVoice.clear();
    return DownloadResult::Ok;
}

// -------------------------------------------------------- DownloadBoxInfo

DownloadResult DownloadMng::DownloadBoxInfo(std::u16string_view remoteDirectory, const fs::path& localFolder,
                                            int& handled) {
    handled = 0;
    if (!ftp_.HasSession()) return DownloadResult::CommError;
    CFtpMng::TransferScope scope(ftp_, localFolder);
    std::u16string listing;
    const ftp::ListResult r = ftp_.ListBox(remoteDirectory, ftp::kListInfo, listing, localFolder);
    if (r == ftp::ListResult::NoSuchDirectory) return DownloadResult::NoDirectory;
    if (r != ftp::ListResult::Listed) return DownloadResult::CommError;
    SweepReceivingFiles(localFolder);

    Window window;
    bool missing = false;
    for (const std::u16string& name : listing::MessageNames(listing, listing::NameForm::BoxMessage)) {
        if (CancelRequested()) return DownloadResult::Cancelled;
        if (!name.ends_with(store::kVminf)) continue;
        if (!enoughSpace(localFolder, dl::kClusterBytes)) return DownloadResult::NoSpace;
        const fs::path local = localFolder / pathOf(name);
        // A file already here counts as handled: a second run over a box that
        // is complete must read as complete.
        if (!store::IsCompleteMessage(local)) {
            const DownloadResult got = receive(name, local, -1, true, true, Record::Box);
            if (got == DownloadResult::Cancelled) return DownloadResult::Cancelled;
            if (got == DownloadResult::SomeMissing) {
                missing = true;
                window.Send(msg::kCounterStep, dl::kCounterStepWparam);
                continue;
            }
            if (got != DownloadResult::Ok) return DownloadResult::CommError;
        }
        window.Send(msg::kCounterStep, dl::kCounterStepWparam);
        ++handled;
    }
    if (CancelRequested()) return DownloadResult::Cancelled;
    return missing ? DownloadResult::SomeMissing : DownloadResult::Ok;
}

// ----------------------------------------------- DownloadResponseMessages

DownloadResult DownloadMng::DownloadResponseMessages(const fs::path& outouFolder, int& handled, int& voiceListed) {
    handled = 0;
    voiceListed = 0;
    if (!ftp_.HasSession()) return DownloadResult::CommError;
    CFtpMng::TransferScope scope(ftp_, outouFolder);
    std::u16string listing;
    if (const DownloadResult r = listLong(dl::kRemoteResponses, ftp::kListAll, outouFolder, listing);
        r != DownloadResult::Ok)
        return r;

    std::vector<std::u16string> voiceLines;
    for (auto& line : listing::CleanLines(listing))
        if (hasWord(line, u"vmdat")) voiceLines.push_back(std::move(line));
    voiceListed = static_cast<int>(voiceLines.size());
    if (voiceLines.empty()) return DownloadResult::SomeMissing;
    SweepReceivingFiles(outouFolder);

    Window window;
    bool missing = false;
    for (const std::u16string& line : voiceLines) {
        if (CancelRequested()) return DownloadResult::Cancelled;
        const auto entry = listing::EntryFromLongLine(line, listing::NameForm::ResponseMessage);
        if (!entry || !entry->name.ends_with(store::kVmdat)) continue;
        if (!enoughSpace(outouFolder, dl::SpaceForFile(entry->size))) return DownloadResult::NoSpace;
        window.Send(msg::kBarRange, static_cast<std::intptr_t>(entry->size / kBlockKiB));

        fs::path older;
        const store::LocalResponse found = CFileMng::FindLocalResponseMessage(outouFolder, entry->name, older);
        if (found == store::LocalResponse::Current) {
            if (options_.convert) {
                window.Send(msg::kStatusConvert);
                const Conversion c = convert(older);
                if (c == Conversion::NoSpace) return DownloadResult::NoSpace;
                if (c != Conversion::Done) return DownloadResult::ExistingConversionFailed;
            }
        } else {
            const fs::path local = outouFolder / pathOf(entry->name);
            const DownloadResult got = receive(entry->name, local, entry->size, true, false, Record::Response);
            if (got == DownloadResult::Cancelled) return DownloadResult::Cancelled;
            if (got == DownloadResult::SomeMissing) {
                missing = true;
                window.Send(msg::kStatusDownload);
                window.Send(msg::kNextItem);
                continue;
            }
            if (got != DownloadResult::Ok) return DownloadResult::CommError;
            Conversion c = Conversion::Done;
            if (options_.convert) {
                window.Send(msg::kStatusConvert);
                c = convert(local);
            }
            if (c == Conversion::Failed) {
                store::RemoveFile(local);
                return DownloadResult::FreshConversionFailed;
            }
            // The older message goes only once the newer one is in place to stay:
            // a newer one whose conversion failed went itself, and the older one
            // is then still the number's message.
            if (found == store::LocalResponse::RemoteNewer && !older.empty() && older != local)
                store::RemoveMessageAndAudioCopies(older);
            if (c == Conversion::NoSpace) return DownloadResult::NoSpace;
        }
        window.Send(msg::kStatusDownload);
        window.Send(msg::kNextItem);
        ++handled;
    }
    if (CancelRequested()) return DownloadResult::Cancelled;
    return missing ? DownloadResult::SomeMissing : DownloadResult::Ok;
}

// --------------------------------------------------------- RemoteFileSize

SizeResult DownloadMng::RemoteFileSize(std::u16string_view remoteDirectory, const fs::path& localFolder,
                                       std::u16string_view fileName, std::int64_t& size, std::int64_t* listedSize) {
    size = 0;
    if (listedSize) *listedSize = -1;
    if (!ftp_.HasSession()) return SizeResult::CommError;
    std::u16string listing;
    switch (listLong(remoteDirectory, ftp::kListVoice, localFolder, listing)) {
    case DownloadResult::Ok: break;
    case DownloadResult::NoDirectory: return SizeResult::NoDirectory;
    default: return SizeResult::CommError;
    }
    const auto form = fileName.size() == listing::kResponseMessageNameLength ? listing::NameForm::ResponseMessage
                                                                             : listing::NameForm::BoxMessage;
    for (const auto& entry : listing::MessageEntries(listing, form)) {
        if (entry.name != fileName) continue;
        size = dl::SpaceForFile(entry.size);
        if (listedSize) *listedSize = entry.size;
        return SizeResult::Found;
    }
    return SizeResult::NotListed;
}

// ---------------------------------------------------------- DownloadVoice

DownloadResult DownloadMng::DownloadVoice(const fs::path& localFolder, std::u16string_view remotePath,
                                          std::u16string_view localName, std::int64_t listedSize) {
    if (!ftp_.HasSession()) return DownloadResult::CommError;
    CFtpMng::TransferScope scope(ftp_, localFolder);
    const fs::path local = localFolder / pathOf(localName);
    if (!listing::IsSafeName(localName)) return DownloadResult::CommError;
    // A voice file already here is never moved or replaced: the new one is
    // received beside it and dropped.
    const bool hadVoice = store::SomethingAt(local);
    Window window;
    const DownloadResult got = receive(remotePath, local, listedSize, true, false, Record::Box, true);
    if (got == DownloadResult::Ok) window.Send(msg::kBarPosition, dl::kBarFull);
    if (got != DownloadResult::Ok) return got;

    for (int i = 0; i < dl::kVoicePumpSteps; ++i) {
        PumpOne();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (options_.convert) {
        window.Send(msg::kStatusConvert);
        const std::int64_t length = fileLength(local);
        if (!enoughSpace(localFolder, dl::SpaceForVoiceConversion(length < 0 ? 0 : length)))
            return DownloadResult::NoSpace;
        if (!store::ConvertToWav(local, options_.levelSetting)) {
            conversionFailed_ = true;
            if (!hadVoice) store::RemoveFile(local);
            return DownloadResult::FreshConversionFailed;
        }
    }
    return DownloadResult::Ok;
}

}  // namespace plova
