// The month folders of the backup and the record each one keeps.
//
// Messages are backed up into "BU_YYYYMM" folders directly under the root
// folder, by the month they were recorded in; each such folder holds
// "backup_info.ini", whose flags say whether that month's copy is complete.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/Ports.h"

namespace plova::backup {

constexpr std::u16string_view kRecordFile = u"backup_info.ini";
constexpr std::u16string_view kRecordSection = u"BACKUPINF";
constexpr std::u16string_view kDoneKey = u"KANRYOUBI";
constexpr std::u16string_view kBoxFlagKey = u"YFLAG";
constexpr std::u16string_view kResponseFlagKey = u"SFLAG";
constexpr std::u16string_view kComplete = u"完了";
constexpr std::u16string_view kIncomplete = u"未完";
constexpr std::size_t kFlagReadChars = 19;  // the flag is read into a 20-character buffer

// Write record: status and kind.
constexpr int kStatusComplete = 0;
constexpr int kStatusIncomplete = 1;
constexpr int kKindBoxes = 0;      // "YFLAG"
constexpr int kKindResponses = 1;  // "SFLAG"

// "BU_%04d%02d".
std::u16string MonthFolderName(int year, int month);
// "BU_" and a month given as "YYYYMM".
std::u16string MonthFolderName(std::u16string_view yyyymm);
// "%04d%02d".
std::u16string MonthStamp(int year, int month);

// The three month folders a run may fill and the months it fetches.
struct BackupMonths {
    std::u16string twoBack;       // folder of two months back
    std::u16string previous;      // folder of the previous month
    std::u16string current;       // folder of the current month
    std::u16string baseMonth;     // "YYYYMM": the oldest month fetched
    std::u16string currentMonth;  // "YYYYMM": the newest month fetched
};

// The three folder names from the current date.
void ComputeFolderNames(BackupMonths& months, const LocalTime& now);
// The base month: the current month when the last run ended in this month
// and left it complete; else the previous month when that is complete; else
// two months back.
void ComputeBaseMonth(BackupMonths& months, const std::filesystem::path& root, std::u16string_view zenkaibi,
                      const LocalTime& now);
// Both at once, as every run starts.
BackupMonths MonthsOfRun(const std::filesystem::path& root, std::u16string_view zenkaibi, const LocalTime& now);

// The folders of the months from the base month to the current month, oldest first.
std::vector<std::u16string> FoldersOfRun(const BackupMonths& months);

// "YYYY/MM/DD hh:mm" of a twelve-digit time.
std::u16string DoneTimeText(std::u16string_view stamp);

// Writes "KANRYOUBI" and one flag into the record of a month folder, making
// the folder (only the folder: the root folder must exist) when it is
// missing, and hides the record. False when it cannot be written.
bool WriteRecord(const std::filesystem::path& root, std::u16string_view folderName, std::u16string_view stamp,
                 int status, int kind);
// Both flags of every month folder of the run, with the time `now`. False,
// with the record that could not be written in `failed` when given, unless
// every record was written.
bool MarkMonths(const std::filesystem::path& root, const BackupMonths& months, int status, const LocalTime& now,
                std::filesystem::path* failed = nullptr);

// "YFLAG" of a month folder ("未完" when missing).
std::u16string ReadBoxFlag(const std::filesystem::path& root, std::u16string_view folderName);
// The folder exists and its "YFLAG" says "完了".
bool MonthComplete(const std::filesystem::path& root, std::u16string_view folderName);

// Hides a file from the file managers of the desktop. Its name stays as it
// is, so that people and programs who look for it find it: the platform has
// no hidden attribute besides a leading dot, so the name goes into the
// folder's ".hidden" list, which the file managers honour. The list is read
// and replaced through the file layer: a pipe, a device or a link under its
// name is left alone and the record simply stays visible.
void HideFile(const std::filesystem::path& file);

}  // namespace plova::backup
