#include "folders/BoxNameImport.h"

#include <set>
#include <system_error>

#include "oplog/OperationLog.h"
#include "platform/AtomicFile.h"
#include "platform/File.h"
#include "platform/IniFile.h"
#include "platform/Ports.h"
#include "platform/Text.h"
#include "store/CFileMng.h"
#include "store/FileOps.h"

namespace plova {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kReadChunk = 4096;

// A box number names one folder right under "naisen" and nothing else.
bool plainFolderName(std::u16string_view name) {
    if (name.empty() || name == u"." || name == u"..") return false;
    return name.find_first_of(u"/\\") == std::u16string_view::npos && !HasControlCharacter(name);
}

bool isPlainFolder(const fs::path& path) {
    std::error_code ec;
    return fs::is_directory(fs::symlink_status(path, ec));
}

bool isPlainFile(const fs::path& path) {
    std::error_code ec;
    return fs::is_regular_file(fs::symlink_status(path, ec));
}

fs::path backupPathOf(const fs::path& box) {
    return box / std::u16string(boximport::kBackupName);
}

// "inf.ini" as it is now, into "inf.tmp"; without an "inf.ini", an "inf.tmp"
// with an empty name. False when the box's name could not be put back later.
bool backUpInfIni(const fs::path& box) {
    const fs::path ini = CFileMng::InfIniPath(box);
    std::error_code ec;
    const fs::file_status st = fs::symlink_status(ini, ec);
    if (!fs::exists(st)) {
        IniDocument empty;
        empty.Set(store::kInfSection, store::kNameKey, u"");
        return empty.Save(backupPathOf(box));
    }
    std::string bytes;
    if (!fs::is_regular_file(st) || ReadWholeFile(ini, bytes, kMaxProfileBytes, Links::Refuse) != ReadResult::Ok)
        return false;
    return WriteFileAtomically(backupPathOf(box), bytes);
}

// The boxes this run changed are put back as they were.
void restoreBoxes(const std::set<fs::path>& boxes) {
    for (const fs::path& box : boxes) {
        const fs::path backup = backupPathOf(box);
        if (!isPlainFile(backup)) continue;
        // One rename replaces "inf.ini" whole: there is no moment without one.
        std::error_code ec;
        fs::rename(backup, CFileMng::InfIniPath(box), ec);
    }
}

void removeBackups(const fs::path& naisenFolder) {
    for (const fs::path& box : CFileMng::ListSubFolders(naisenFolder))
        if (isPlainFolder(box)) store::RemoveFile(backupPathOf(box));
}

}  // namespace

std::optional<ImportEntry> ParseImportLine(std::string_view lineBytes) {
    const std::size_t zero = lineBytes.find('\0');
    lineBytes = lineBytes.substr(0, zero);
    std::string_view whole = lineBytes;
    if (whole.ends_with('\n')) whole.remove_suffix(1);
    if (whole.ends_with('\r')) whole.remove_suffix(1);
    // The line's end ends the name only where a "," would: within the bytes
    // that count. A name cut short by them is not the name the file gives.
    const bool endSeen = zero == std::string_view::npos && whole.size() < boximport::kParsedBytes;
    const std::u16string text = FromCp932(whole.substr(0, boximport::kParsedBytes));
    const std::size_t first = text.find(u',');
    if (first == text.npos) return std::nullopt;
    const std::size_t second = text.find(u',', first + 1);
    if (second == text.npos) return std::nullopt;
    std::size_t third = text.find(u',', second + 1);
    if (third == text.npos) {
        if (!endSeen) return std::nullopt;
        third = text.size();
    }
    return ImportEntry{text.substr(first + 1, second - first - 1), text.substr(second + 1, third - second - 1)};
}

bool ImportLineReader::fill() {
    if (end_) return false;
    if (at_ > 0) {
        buffer_.erase(0, at_);
        at_ = 0;
    }
    const std::size_t had = buffer_.size();
    buffer_.resize(had + kReadChunk);
    const std::size_t got = read_(buffer_.data() + had, kReadChunk);
    buffer_.resize(had + got);
    if (got == 0) end_ = true;
    return got > 0;
}

std::optional<std::string> ImportLineReader::Next() {
    for (;;) {
        const std::size_t available = buffer_.size() - at_;
        const std::size_t window = std::min(available, boximport::kLineBytes);
        const std::size_t newline = buffer_.find('\n', at_);
        const bool lineEnds = newline != std::string::npos && newline - at_ < window;
        if (lineEnds || window == boximport::kLineBytes || (end_ && available > 0)) {
            const std::size_t length = lineEnds ? newline - at_ + 1 : window;
            std::string line = buffer_.substr(at_, length);
            at_ += length;
            if (line.front() == '\0') {
                end_ = true;
                at_ = buffer_.size();
                return std::nullopt;
            }
            return line;
        }
        if (!fill() && buffer_.size() == at_) return std::nullopt;
    }
}

ImportResult ImportBoxNames(const fs::path& csvFile, const fs::path& naisenFolder, const ImportHooks& hooks) {
    FileHandle handle = OpenRegularFile(csvFile, Access::Read);
    if (!handle) return ImportResult::CannotOpen;
    const std::uint64_t length = handle.Size().value_or(0);
    if (hooks.range)
        hooks.range(static_cast<int>(std::min<std::uint64_t>(length / boximport::kBytesPerStep, INT32_MAX)));
    std::uint64_t offset = 0;
    ImportLineReader reader([&](char* out, std::size_t max) -> std::size_t {
        const auto got = handle.ReadAt(offset, out, max);
        if (!got) return 0;
        offset += *got;
        return *got;
    });

    for (int i = 0; i < boximport::kHeadingLines; ++i)
        if (!reader.Next()) break;

    std::set<fs::path> touched;
    bool named = false;
    bool cancelled = false;
    oplog::Operation log("csv-import", naisenFolder.parent_path(), "box names from " + Utf8Of(csvFile.filename()));
    while (const std::optional<std::string> line = reader.Next()) {
        PumpOne();
        if (CancelRequested()) {
            cancelled = true;
            break;
        }
        if (const std::optional<ImportEntry> entry = ParseImportLine(*line);
            entry && plainFolderName(entry->box) && !HasControlCharacter(entry->name)) {
            const fs::path box = naisenFolder / PathOfText(entry->box);
            // A box number with no folder of its own changes nothing.
            if (isPlainFolder(box) && (touched.count(box) != 0 || backUpInfIni(box))) {
                // Only the first copy of a run counts: it holds the name from
                // before the import, which a cancel is to bring back.
                touched.insert(box);
                const bool written =
                    WriteProfileText(CFileMng::InfIniPath(box), store::kInfSection, store::kNameKey, entry->name);
                named = written || named;
                log.Add("naisen/" + Utf8Of(box.filename()), written ? oplog::Outcome::Done : oplog::Outcome::Failed,
                        "name \"" + ToUtf8(entry->name) + "\"");
            }
        }
        if (hooks.step) hooks.step();
    }

    if (cancelled) {
        restoreBoxes(touched);
        log.SetDetail("box names from " + Utf8Of(csvFile.filename()) + "; cancelled, every name restored");
        log.Finish(oplog::Result::Cancelled);
        return ImportResult::Cancelled;
    }
    removeBackups(naisenFolder);
    return named ? ImportResult::Completed : ImportResult::NothingNamed;
}

}  // namespace plova
