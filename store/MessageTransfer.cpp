#include "store/MessageTransfer.h"

#include <array>
#include <map>
#include <system_error>

#include "oplog/OperationLog.h"
#include "platform/File.h"
#include "platform/Folder.h"
#include "platform/Text.h"
#include "store/CFileMng.h"
#include "store/FileOps.h"

namespace plova {
namespace fs = std::filesystem;

namespace {

using transfer::Mode;

// The WAV files of a folder by stem, whatever the case of their extension:
// an imported message's audio copy is named ".WAV". Each under its name as
// the folder holds it: on Windows "x.wav" also opens "x.WAV", and the copy
// must keep the name it has. Read once per folder.
class WavIndex {
public:
    fs::path Find(const fs::path& base) {
        const auto& stems = folder(base.parent_path());
        const auto it = stems.find(base.stem().native());
        return it != stems.end() ? base.parent_path() / it->second : fs::path();
    }

private:
    using Name = fs::path::string_type;

    const std::map<Name, fs::path>& folder(const fs::path& dir) {
        auto [it, added] = folders_.try_emplace(dir.native());
        if (added) {
            std::error_code ec;
            for (const auto& e : fs::directory_iterator(dir, ec)) {
                const fs::path& p = e.path();
                if (store::LowerCaseExtension(p) != ".wav") continue;
                // Where both are (Linux), ".wav" itself is the one.
                if (p.extension() == ".wav")
                    it->second.insert_or_assign(p.stem().native(), p.filename());
                else
                    it->second.emplace(p.stem().native(), p.filename());
            }
        }
        return it->second;
    }
    std::map<Name, std::map<Name, fs::path>> folders_;
};

enum class Step { Ok, NoSpace, Failed };

// Why the last file operation failed, as the run acts on it.
Step lastFailure() {
    return LastFileError() == FileError::NoSpace ? Step::NoSpace : Step::Failed;
}

// One file of the current message, whole in the target folder under a
// hidden name, waiting to take its own.
struct Staged {
    fs::path source;
    fs::path target;
    fs::path temp;
    bool replace = false;
};

class MessageRun {
public:
    MessageRun(Mode mode, const fs::path& targetFolder) : mode_(mode), targetFolder_(targetFolder) {}
    ~MessageRun() { Discard(); }

    // The file made whole beside its target. A move on one file system gives
    // the source a second name; anything else copies, and a move syncs the
    // copy before its source may go.
    Step Stage(const FileHandle& in, const fs::path& source, bool replace) {
        const fs::path target = targetFolder_ / source.filename();
        if (mode_ == Mode::Move) {
            // The second name is made under a free hidden name, exclusively
            // (a hard link never replaces what bears its name).
            const fs::path linked = NewTempPath(targetFolder_);
            if (!linked.empty() && MakeHardLink(source, linked)) {
                staged_.push_back({source, target, linked, replace});
                return Step::Ok;
            }
        }
        std::optional<TempFile> temp = CreateTempFile(targetFolder_);
        if (!temp) return lastFailure();
        staged_.push_back({source, target, temp->path, replace});
        Step step = CopyContents(in, temp->handle) ? Step::Ok : lastFailure();
        if (step == Step::Ok && !temp->handle.SetPermissions(UsualFileMode())) step = Step::Failed;
        if (step == Step::Ok && mode_ == Mode::Move && !temp->handle.Sync()) step = lastFailure();
        return step;
    }

    // Every staged file takes its name; then the sources of a move go.
    bool Commit() {
        std::vector<fs::path> placed;
        for (const Staged& s : staged_) {
            // A file that appeared meanwhile under the name is never replaced unasked.
            const bool ok = s.replace ? RenameReplacing(s.temp, s.target) : RenameNoReplace(s.temp, s.target);
            if (!ok) {
                for (const fs::path& p : placed) store::RemoveFile(p);
                return false;
            }
            placed.push_back(s.target);
        }
        if (mode_ == Mode::Move && !staged_.empty()) {
            if (!SyncFolder(targetFolder_)) {
                // The new names may not be on disk yet: the sources stay.
                staged_.clear();
                return true;
            }
            for (const Staged& s : staged_) store::RemoveFile(s.source);
        }
        staged_.clear();
        return true;
    }

    // The message as it was: nothing of it in the target.
    void Discard() {
        for (const Staged& s : staged_) store::RemoveFile(s.temp);
        staged_.clear();
    }

private:
    Mode mode_;
    fs::path targetFolder_;
    std::vector<Staged> staged_;
};

bool sameFolder(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    return fs::equivalent(a, b, ec);
}

bool hasRoomFor(const fs::path& folder, std::uint64_t size) {
    return CurrentPorts().disk->FreeBytes(folder) >= (size / transfer::kSpaceUnit + 1) * transfer::kSpaceUnit;
}

// The files of one message; false when it lacks its voice data or its
// recording information.
bool sourcesOf(const fs::path& file, WavIndex& wavs, std::array<fs::path, transfer::kStepsPerMessage>& out) {
    if (Utf8Of(file).find(".vmdat") == std::string::npos) return false;
    fs::path base = file;
    base.replace_extension();
    (out[0] = base) += ".vminf";
    (out[1] = base) += ".vmdat";
    if (!store::SomethingAt(out[1]) || !store::SomethingAt(out[0])) return false;
    out[2] = wavs.Find(out[1]);
    return true;
}

enum class MessageEnd {
    Handled,
    Failed,           // a file could not be read or written: the message stays where it was
    NoSpace,          // rolled back; the run ends
    OverwriteCancel,  // what was done stays; the run ends
    Stopped,          // cancel or backup: rolled back; the run ends without a message
};

class Transfer {
public:
    Transfer(Mode mode, const fs::path& target, TransferWindow& window)
        : mode_(mode), target_(target), window_(window) {}

    MessageEnd Message(const fs::path& file) {
        std::array<fs::path, transfer::kStepsPerMessage> sources;
        if (!sourcesOf(file, wavs_, sources)) {
            window_.SetBar(++bar_);
            return MessageEnd::Failed;
        }
        const bool alreadyThere = sameFolder(sources[1].parent_path(), target_);
        MessageRun run(mode_, target_);
        bool replaceThis = false;
        for (const fs::path& source : sources) {
            window_.SetBar(++bar_);
            if (source.empty() || !store::SomethingAt(source) || alreadyThere) continue;
            const FileHandle in = OpenRegularFile(source, Access::Read, Links::Refuse);
            const std::optional<std::uint64_t> size = in ? in.Size() : std::nullopt;
            if (!size) return MessageEnd::Failed;
            if (!hasRoomFor(target_, *size)) return MessageEnd::NoSpace;
            const bool replace = replaceAll_ || replaceThis;
            if (!replace && store::SomethingAt(target_ / source.filename())) {
                switch (window_.AskOverwrite(NameText(source.filename()))) {
                case OverwriteChoice::All: replaceAll_ = true; [[fallthrough]];
                case OverwriteChoice::Yes: replaceThis = true; break;
                case OverwriteChoice::No: return run.Commit() ? MessageEnd::Handled : MessageEnd::Failed;
                case OverwriteChoice::Cancel: run.Commit(); return MessageEnd::OverwriteCancel;
                }
            }
            switch (run.Stage(in, source, replaceAll_ || replaceThis)) {
            case Step::Ok: break;
            case Step::NoSpace: return MessageEnd::NoSpace;
            case Step::Failed: return MessageEnd::Failed;
            }
            if (window_.BackupBreak() || window_.CancelRequested()) return MessageEnd::Stopped;
        }
        return run.Commit() ? MessageEnd::Handled : MessageEnd::Failed;
    }

    [[nodiscard]] int Bar() const { return bar_; }

private:
    Mode mode_;
    fs::path target_;
    TransferWindow& window_;
    WavIndex wavs_;
    int bar_ = 0;
    bool replaceAll_ = false;
};

}  // namespace

std::u16string transfer::OverwriteText(std::u16string_view fileName) {
    return u"このﾌｫﾙﾀﾞには既に " + std::u16string(fileName) + u" ﾌｧｲﾙが存在します。";
}

std::vector<ClosingText> TransferClosing(Mode mode, const TransferOutcome& o) {
    using namespace transfer;
    if (o.stopped) return {};
    const bool copy = mode == Mode::Copy;
    const ClosingText success{copy ? kCopyDone : kMoveDone, copy ? kCopyDoneCaption : kMoveDoneCaption,
                              Icon::Information};
    if (o.selected <= 1) {
        // One message: out of space outranks a missing file.
        if (o.noSpace) return {{kNoSpace, kErrorCaption, Icon::Exclamation}};
        if (o.missing) return {{kMissing, kErrorCaption, Icon::Exclamation}};
        return {success};
    }
    // Several: each reason is told, the missing files first, so that a run
    // that stopped for lack of space never reads as one that only skipped.
    std::vector<ClosingText> shown;
    if (o.handled == 0) {
        if (o.missing) shown.push_back({kMissing, kErrorCaption, Icon::Exclamation});
        if (o.noSpace) shown.push_back({kNoSpace, kErrorCaption, Icon::Exclamation});
    } else {
        const std::u16string_view caption = copy ? kCopyDoneCaption : kMoveDoneCaption;
        if (o.missing) shown.push_back({copy ? kCopyPartMissing : kMovePartMissing, caption, Icon::Information});
        if (o.noSpace) shown.push_back({copy ? kCopyPartNoSpace : kMovePartNoSpace, caption, Icon::Information});
    }
    if (shown.empty()) shown.push_back(success);
    return shown;
}

TransferOutcome MoveCopyMessages(Mode mode, const std::vector<fs::path>& files, const fs::path& targetFolder,
                                 TransferWindow& window) {
    TransferOutcome outcome;
    outcome.selected = static_cast<int>(files.size());
    const int range = transfer::kStepsPerMessage * outcome.selected;
    window.Open(mode, range);
    PumpOne();

    Transfer run(mode, targetFolder, window);
    // The box folder is two levels above the target box ("rusuroku/NNNN").
    oplog::Operation log(mode == Mode::Move ? "move" : "copy", targetFolder.parent_path().parent_path(),
                         "to " + Utf8Of(targetFolder.parent_path().filename() / targetFolder.filename()));
    bool ended = false;
    for (const fs::path& file : files) {
        PumpOne();
        switch (run.Message(file)) {
        case MessageEnd::Handled:
            ++outcome.handled;
            log.Add(file, oplog::Outcome::Done);
            continue;
        case MessageEnd::Failed:
            outcome.missing = true;
            log.Add(file, oplog::Outcome::Failed, "a file of the message is missing or cannot be read");
            continue;
        case MessageEnd::NoSpace:
            outcome.noSpace = true;
            log.Add(file, oplog::Outcome::Failed, "not enough free disk space");
            break;
        case MessageEnd::OverwriteCancel:
            outcome.overwriteCancelled = true;
            log.Finish(oplog::Result::Cancelled);
            break;
        case MessageEnd::Stopped:
            outcome.stopped = true;
            log.Finish(oplog::Result::Cancelled);
            window.Close();
            return outcome;
        }
        ended = true;
        break;
    }
    log.Finish();
    if (!ended || outcome.overwriteCancelled) window.SetBar(range);
    window.Close();
    for (const ClosingText& closing : TransferClosing(mode, outcome))
        ShowPrompt(std::u16string(closing.text), std::u16string(closing.caption), closing.icon);
    return outcome;
}

}  // namespace plova
