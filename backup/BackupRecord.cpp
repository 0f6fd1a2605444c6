#include "backup/BackupRecord.h"

#include <cstdio>
#include <string>
#include <system_error>

#include "backup/BackupSchedule.h"
#include "platform/AtomicFile.h"
#include "platform/File.h"
#include "platform/IniFile.h"
#include "platform/Text.h"

namespace plova::backup {
namespace {

namespace fs = std::filesystem;

constexpr std::u16string_view kFolderPrefix = u"BU_";
constexpr std::size_t kMonthChars = 6;  // "YYYYMM"
constexpr const char* kHiddenList = ".hidden";
// A folder's list of hidden names is a few lines; anything larger is not one.
constexpr std::uint64_t kMaxHiddenListBytes = std::uint64_t{1024} * 1024;

std::u16string formatted(const char* format, int a, int b) {
    char buf[32];
    std::snprintf(buf, sizeof buf, format, a, b);
    return FromUtf8(buf);
}

fs::path pathOf(std::u16string_view name) {
    return PathOfText(name);
}

std::u16string monthOfFolder(std::u16string_view folder) {
    return std::u16string(folder.substr(kFolderPrefix.size()));
}

}  // namespace

std::u16string MonthFolderName(int year, int month) {
    return formatted("BU_%04d%02d", year, month);
}

std::u16string MonthFolderName(std::u16string_view yyyymm) {
    return std::u16string(kFolderPrefix) + std::u16string(yyyymm);
}

std::u16string MonthStamp(int year, int month) {
    return formatted("%04d%02d", year, month);
}

void ComputeFolderNames(BackupMonths& m, const LocalTime& now) {
    const int y = now.year, mo = now.month;
    m.current = MonthFolderName(y, mo);
    m.previous = mo == 1 ? MonthFolderName(y - 1, 12) : MonthFolderName(y, mo - 1);
    m.twoBack = mo == 1   ? MonthFolderName(y - 1, 11)
                : mo == 2 ? MonthFolderName(y - 1, 12)
                          : MonthFolderName(y, mo - 2);
}

void ComputeBaseMonth(BackupMonths& m, const fs::path& root, std::u16string_view zenkaibi, const LocalTime& now) {
    m.currentMonth = MonthStamp(now.year, now.month);
    const std::u16string lastMonth(zenkaibi.substr(0, std::min(zenkaibi.size(), kMonthChars)));
    if (lastMonth == m.currentMonth && MonthComplete(root, m.current)) {
        m.baseMonth = m.currentMonth;
        return;
    }
    m.baseMonth = monthOfFolder(MonthComplete(root, m.previous) ? m.previous : m.twoBack);
}

BackupMonths MonthsOfRun(const fs::path& root, std::u16string_view zenkaibi, const LocalTime& now) {
    BackupMonths m;
    ComputeFolderNames(m, now);
    ComputeBaseMonth(m, root, zenkaibi, now);
    return m;
}

std::vector<std::u16string> FoldersOfRun(const BackupMonths& m) {
    std::vector<std::u16string> out;
    for (const std::u16string* f : {&m.twoBack, &m.previous, &m.current}) {
        const std::u16string month = monthOfFolder(*f);
        if (month >= m.baseMonth && month <= m.currentMonth) out.push_back(*f);
    }
    return out;
}

std::u16string DoneTimeText(std::u16string_view s) {
    if (s.size() < 12) return std::u16string(s);
    return std::u16string(s.substr(0, 4)) + u"/" + std::u16string(s.substr(4, 2)) + u"/" +
           std::u16string(s.substr(6, 2)) + u" " + std::u16string(s.substr(8, 2)) + u":" +
           std::u16string(s.substr(10, 2));
}

bool WriteRecord(const fs::path& root, std::u16string_view folderName, std::u16string_view stamp, int status,
                 int kind) {
    const fs::path folder = root / pathOf(folderName);
    // Only the month folder is made: a root folder that is not there (a
    // backup disk not mounted) must not be made again on the disk beneath.
    std::error_code ec;
    fs::create_directory(folder, ec);
    const fs::path file = folder / pathOf(kRecordFile);
    IniDocument ini = IniDocument::Load(file);
    ini.Set(kRecordSection, kDoneKey, DoneTimeText(stamp));
    ini.Set(kRecordSection, kind == kKindBoxes ? kBoxFlagKey : kResponseFlagKey,
            status == kStatusComplete ? kComplete : kIncomplete);
    const bool saved = ini.Save(file);
    HideFile(file);
    return saved;
}

bool MarkMonths(const fs::path& root, const BackupMonths& months, int status, const LocalTime& now, fs::path* failed) {
    const std::u16string stamp = TimeStamp(now);
    bool all = true;
    for (const std::u16string& folder : FoldersOfRun(months)) {
        const bool written = WriteRecord(root, folder, stamp, status, kKindBoxes) &&
                             WriteRecord(root, folder, stamp, status, kKindResponses);
        if (!written && all && failed) *failed = root / pathOf(folder) / pathOf(kRecordFile);
        all = all && written;
    }
    return all;
}

std::u16string ReadBoxFlag(const fs::path& root, std::u16string_view folderName) {
    const fs::path file = root / pathOf(folderName) / pathOf(kRecordFile);
    std::u16string flag = ReadProfileString(file, kRecordSection, kBoxFlagKey, kIncomplete);
    if (flag.size() > kFlagReadChars) flag.resize(kFlagReadChars);
    return flag;
}

bool MonthComplete(const fs::path& root, std::u16string_view folderName) {
    std::error_code ec;
    return fs::is_directory(root / pathOf(folderName), ec) && ReadBoxFlag(root, folderName) == kComplete;
}

void HideFile(const fs::path& file) {
    const fs::path list = file.parent_path() / kHiddenList;
    const std::string name = Utf8Of(file.filename());
    std::string text;
    const ReadResult read = ReadWholeFile(list, text, kMaxHiddenListBytes, Links::Refuse);
    if (read != ReadResult::Ok && read != ReadResult::Missing) return;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        if (std::string_view(text).substr(start, end - start) == name) return;
        start = end + 1;
    }
    if (!text.empty() && text.back() != '\n') text += '\n';
    WriteFileAtomically(list, text + name + '\n');
}

}  // namespace plova::backup
