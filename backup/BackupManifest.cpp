#include "backup/BackupManifest.h"

#include <algorithm>
#include <map>
#include <system_error>

#include "backup/BackupRecord.h"
#include "platform/AtomicFile.h"
#include "platform/File.h"
#include "platform/FileLock.h"
#include "platform/Sha256.h"
#include "platform/Text.h"
#include "store/CFileMng.h"

namespace plova::backup {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kMonthPrefix = "BU_";
constexpr std::size_t kMonthDigits = 6;
constexpr std::size_t kDigestChars = 64;
// A manifest lists a month of messages: a few thousand lines at most.
constexpr std::uint64_t kMaxManifestBytes = std::uint64_t{64} * 1024 * 1024;
// Voice data is whole frames of coded speech; a file made by the encoder
// ends an odd number of frames with two zero bytes to fill a 4-byte unit.
constexpr std::uint64_t kFrameBytes = 10;
constexpr std::uint64_t kPadBytes = 2;
constexpr std::uint64_t kWriteUnit = 4;

bool isBookkeeping(const std::string& name) {
    return name == Utf8Of(PathOfText(kRecordFile)) || name == kManifestFile || name == ".hidden" ||
           name == kBackupRootLockName || name == kBoxFolderLockName || name.rfind(kTempFilePrefix, 0) == 0;
}

// sha256sum's form of a name: a name with a backslash or a line end is
// marked by a leading backslash and has those characters escaped.
std::string escapedName(const std::string& name, bool& escaped) {
    escaped = name.find_first_of("\\\n\r") != std::string::npos;
    if (!escaped) return name;
    std::string out;
    for (const char c : name) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

std::optional<std::string> unescapedName(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i >= text.size()) return std::nullopt;
        switch (text[i]) {
        case '\\': out += '\\'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        default: return std::nullopt;
        }
    }
    return out;
}

bool hexDigest(std::string_view text) {
    return text.size() == kDigestChars && std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

// The lines of a manifest: path to digest. A line that is none is a problem.
std::map<std::string, std::string> readManifest(const std::string& text, const std::string& month,
                                                std::vector<VerifyProblem>& problems) {
    std::map<std::string, std::string> lines;
    std::size_t number = 0;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string_view line(text.data() + at, end - at);
        at = end + 1;
        ++number;
        if (line.empty()) continue;
        const bool escaped = line.front() == '\\';
        if (escaped) line.remove_prefix(1);
        // "DIGEST  name" (text mode) or "DIGEST *name" (binary mode).
        std::optional<std::string> name;
        if (line.size() > kDigestChars + 2 && hexDigest(line.substr(0, kDigestChars)) && line[kDigestChars] == ' ' &&
            (line[kDigestChars + 1] == ' ' || line[kDigestChars + 1] == '*')) {
            const std::string_view raw = line.substr(kDigestChars + 2);
            name = escaped ? unescapedName(raw) : std::optional<std::string>(std::string(raw));
        }
        if (!name) {
            problems.push_back({month + "/" + std::string(kManifestFile),
                                "line " + std::to_string(number) + " is not a checksum line"});
            continue;
        }
        lines[*name] = std::string(line.substr(0, kDigestChars));
    }
    return lines;
}

// What is wrong with a message file's structure; empty when nothing is.
std::string structureProblem(const fs::path& file) {
    const std::string extension = Utf8Of(file.extension());
    if (extension != ".vmdat" && extension != ".vminf") return {};
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(file, ec);
    if (ec) return "cannot be read";
    if (size < store::kMinMessageFileSize)
        return "cut: " + std::to_string(size) + " bytes, shorter than a status record and recording block";
    if (!CFileMng::IsValidMessageFile(file)) return "no valid status record and recording block";
    if (extension == ".vmdat") {
        const std::uint64_t voice = size - store::kMinMessageFileSize;
        const bool whole = voice % kFrameBytes == 0 || (voice % kFrameBytes == kPadBytes && voice % kWriteUnit == 0);
        if (!whole) return "cut: " + std::to_string(voice) + " bytes of voice data are not whole frames";
    }
    return {};
}

void verifyMonth(const fs::path& monthFolder, VerifyReport& report) {
    const std::string month = Utf8Of(monthFolder.filename());
    ++report.months;
    const fs::path manifest = monthFolder / std::string(kManifestFile);
    const bool complete = MonthComplete(monthFolder.parent_path(), NameText(monthFolder.filename()));
    const std::vector<std::string> files = ManifestedFiles(monthFolder);

    std::string text;
    const ReadResult read = ReadWholeFile(manifest, text, kMaxManifestBytes, Links::Refuse);
    if (read == ReadResult::Missing) {
        if (complete)
            report.problems.push_back({month, "marked 完了 but has no " + std::string(kManifestFile)});
        else
            report.open.push_back(month);
    } else if (read != ReadResult::Ok) {
        report.problems.push_back({month + "/" + std::string(kManifestFile), "cannot be read"});
    } else {
        std::map<std::string, std::string> listed = readManifest(text, month, report.problems);
        for (const std::string& file : files) {
            const auto line = listed.find(file);
            if (line == listed.end()) {
                report.problems.push_back({month + "/" + file, "not listed"});
                continue;
            }
            ++report.files;
            const std::optional<std::string> digest = Sha256OfFile(monthFolder / PathFromUtf8(file));
            if (!digest)
                report.problems.push_back({month + "/" + file, "cannot be read"});
            else if (*digest != line->second)
                report.problems.push_back({month + "/" + file, "changed"});
            listed.erase(line);
        }
        for (const auto& [file, digest] : listed) report.problems.push_back({month + "/" + file, "missing"});
    }
    for (const std::string& file : files) {
        const fs::path path = monthFolder / PathFromUtf8(file);
        const std::string extension = Utf8Of(path.extension());
        if (extension != ".vmdat" && extension != ".vminf") continue;
        ++report.messages;
        if (std::string problem = structureProblem(path); !problem.empty())
            report.problems.push_back({month + "/" + file, std::move(problem)});
    }
}

}  // namespace

bool IsMonthFolderName(std::string_view name) {
    return name.size() == kMonthPrefix.size() + kMonthDigits && name.substr(0, kMonthPrefix.size()) == kMonthPrefix &&
           std::all_of(name.begin() + kMonthPrefix.size(), name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::vector<std::string> ManifestedFiles(const fs::path& monthFolder) {
    std::vector<std::string> files;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(monthFolder, ec), end; !ec && it != end; it.increment(ec)) {
        // Links are neither followed nor listed: a backup holds files.
        if (EntryType(it->path()) != fs::file_type::regular) continue;
        const std::string name = Utf8Of(it->path().filename());
        if (it.depth() == 0 && isBookkeeping(name)) continue;
        if (name.rfind(kTempFilePrefix, 0) == 0 || name == kBoxFolderLockName) continue;
        std::string relative;
        for (const fs::path& part : it->path().lexically_relative(monthFolder))
            relative += (relative.empty() ? "" : "/") + Utf8Of(part);
        files.push_back(std::move(relative));
    }
    std::sort(files.begin(), files.end());
    return files;
}

bool WriteManifest(const fs::path& monthFolder, std::string* why) {
    std::string text;
    for (const std::string& file : ManifestedFiles(monthFolder)) {
        const std::optional<std::string> digest = Sha256OfFile(monthFolder / PathFromUtf8(file));
        if (!digest) {
            if (why) *why = "cannot read " + Utf8Of(monthFolder / PathFromUtf8(file));
            return false;
        }
        bool escaped = false;
        const std::string name = escapedName(file, escaped);
        text += (escaped ? "\\" : "") + *digest + "  " + name + "\n";
    }
    if (!WriteFileAtomically(monthFolder / std::string(kManifestFile), text)) {
        if (why) *why = "cannot write " + Utf8Of(monthFolder / std::string(kManifestFile));
        return false;
    }
    return true;
}

void RemoveManifest(const fs::path& monthFolder) {
    RemoveFileOrLink(monthFolder / std::string(kManifestFile));
}

VerifyReport VerifyBackup(const fs::path& given) {
    VerifyReport report;
    // "BU_202612/" names the month as "BU_202612" does.
    const fs::path target = given.has_filename() ? given : given.parent_path();
    if (IsMonthFolderName(Utf8Of(target.filename()))) {
        verifyMonth(target, report);
        return report;
    }
    std::vector<fs::path> months;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(target, ec))
        if (IsMonthFolderName(Utf8Of(entry.path().filename())) && EntryType(entry.path()) == fs::file_type::directory)
            months.push_back(entry.path());
    std::sort(months.begin(), months.end());
    for (const fs::path& month : months) verifyMonth(month, report);
    return report;
}

}  // namespace plova::backup
