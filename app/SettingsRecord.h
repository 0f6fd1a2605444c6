// The settings record: the main window's in-memory copy of every key of
// "PLOVA.ini", plus the connection record and the logged-in flag of the
// current session. The file is read once when the main window is created and
// written once at exit; in between everything works on this record.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "lists/SelectCriteria.h"
#include "platform/IniFile.h"

namespace plova {

namespace settings {
constexpr std::u16string_view kFileName = u"PLOVA.ini";

// Longest values the record keeps (UTF-16 code units); longer values read from
// the file or typed by the user are cut to these lengths.
constexpr std::size_t kIpMax = 15;
constexpr std::size_t kUserMax = 16;
constexpr std::size_t kPasswordMax = 16;
constexpr std::size_t kPathMax = 259;
constexpr std::size_t kDispMax = 4095;
constexpr std::size_t kColumnNameMax = 6;
constexpr std::size_t kStampMax = 12;  // "YYYYMMDDhhmm"

constexpr int kListSlots = 4;     // DISP1..4, FOLDERNAME1..4, Window1..4
constexpr int kColumnSlots = 13;  // COLUM1..13, DELCOLUM1..13

constexpr int kRetryCountDefault = 3;
constexpr int kRetryCountMin = 1;
constexpr int kRetryWaitDefault = 60000;  // ms
constexpr int kRetryWaitMin = 10000;      // ms
constexpr int kDayOfMonthDefault = 1;     // "HI"

// Section names.
constexpr std::u16string_view kLogin = u"LOGIN";
constexpr std::u16string_view kFolder = u"FOLDER";
constexpr std::u16string_view kDisp = u"DISP";
constexpr std::u16string_view kConvert = u"CONVERT";
constexpr std::u16string_view kExport = u"EXPORT";
constexpr std::u16string_view kImport = u"IMPORT";
constexpr std::u16string_view kCodec = u"CODEC";
constexpr std::u16string_view kBackup = u"BACKUP";
// This program's own keys, which other installations reading the file ignore.
constexpr std::u16string_view kOwn = u"PLOVA";
// The built-in player's speed (an index from 0.5 to 2.0) and volume.
constexpr int kPlayerSpeedDefault = 2;
constexpr int kPlayerSpeedMax = 5;
constexpr int kPlayerVolumeMax = 100;
}  // namespace settings

// The values of the current login: what the login sends, kept apart from the
// stored values so that "do not remember" can clear those while logged in.
struct ConnectionRecord {
    std::u16string address;   // dotted IPv4, at most 15
    std::u16string user;      // at most 16
    std::u16string password;  // at most 16
};

// Every field starts zero or empty; ReadAllSettings applies the defaults.
struct SettingsRecord {
    // [LOGIN]
    std::u16string ip;        // "IP"
    std::u16string user;      // "USER"
    std::u16string password;  // "PASS", plain text: other installations read it as such
    int check = 0;            // "CHECK": 1 = remember address, user name and password

    // [FOLDER]
    std::u16string folder;          // "FOLDER": root folder of the box folders
    int init = 0;                   // "INIT": 0 = reopen the last folder, 1 = open the specified one
    std::u16string nextFolder;      // "NEXTFOLDER", with a trailing separator
    std::u16string nextFolderName;  // "NEXTFOLDERNAME"
    int change = 0;                 // "CHANGE": 1 = switch to NEXTFOLDER at the next start

    // [DISP]
    std::u16string folderName;                                     // "FOLDERNAME": the open box folder under the root
    int num = 0;                                                   // "NUM": list windows open at exit
    std::array<std::u16string, settings::kListSlots> disp;         // "DISP1".."DISP4" (slot i-1)
    std::array<std::u16string, settings::kListSlots> folderNames;  // "FOLDERNAME1".."FOLDERNAME4"
    std::array<std::u16string, settings::kColumnSlots> columns;    // "COLUM1".."COLUM13"
    std::array<std::u16string, settings::kColumnSlots> deletedColumns;  // "DELCOLUM1".."DELCOLUM13"

    // [CONVERT]
    int downConv = 0;  // "DOWNCONV": convert to WAV at download
    int convDel = 0;   // "CONVDEL": delete played WAV files at exit

    // [EXPORT], [IMPORT]
    std::u16string exportPath, exportName;  // "PATH", "Name"
    std::u16string importPath, importName;  // "PATH", "Name"

    // [CODEC]
    std::u16string sysAddFolder;  // "SYSADDFOLDER"
    int levelRvWavOr = 0;         // "LEVELRVWAVOR", not clamped
    int levelRvWmaOr = 0;         // "LEVELRVWMAOR", not clamped
    int levelRvOrWav = 0;         // "LEVELRVORWAV", not clamped

    // [BACKUP]
    int hindo = 0;            // "HINDO": 0 none, 1 daily, 2 weekly, 3 monthly
    int youbi = 0;            // "YOUBI": 0 = Sunday .. 6 = Saturday
    int hi = 0;               // "HI": day of month, default 1
    int jikokuHH = 0;         // "JIKOKUHH"
    int jikokuMM = 0;         // "JIKOKUMM"
    std::u16string zenkaibi;  // "ZENKAIBI": end of the last run, "YYYYMMDDhhmm"
    int zenkaika = 0;         // "ZENKAIKA": 1 completed, 2 failed or cancelled, 0 none yet
    std::u16string yoteibi;   // "YOTEIBI": next-due time, empty when HINDO is 0
    int retryCount = 0;       // "RETRYCNT", default 3, at least 1
    int retryWait = 0;        // "RETRYWAIT" in ms, default 60000, at least 10000

    // [PLOVA]
    std::u16string noticedBackup;  // "NOTICEDBACKUP": ZENKAIBI of the failed run the start last reported
    int builtInPlayer = 1;         // "PLAYER": 1 plays in the program's own player, 0 in the desktop's
    int playerSpeed = 2;           // "PLAYSPEED": the player's speed, 0 (0.5) to 5 (2.0), 2 as recorded
    int playerVolume = 100;        // "PLAYVOLUME": the player's volume, 0 to 100

    // Not in the file.
    ConnectionRecord connection;
    int loggedIn = 0;  // 1 while a session with the main unit is open
    // The select display's criteria of the last OK, for the run only.
    SelectCriteria boxCriteria;
    SelectCriteria responseCriteria;
};

// Fills `record` from `ini` in the order of the file's table, with the
// defaults, clamps and length limits. The connection record and the
// logged-in flag are left alone.
void ReadAllSettings(const IniDocument& ini, SettingsRecord& record);

// Writes every key except the column keys and the window sections, with the
// exit rules: "FOLDER" gets a trailing separator when not empty; while CHANGE
// is 1 "FOLDER" is written empty, "FOLDERNAME" as NEXTFOLDERNAME, "NUM" as 0
// and DISP1..4 empty; with CHECK 0 "IP", "USER" and "PASS" are written empty.
void WriteAllSettings(IniDocument& ini, const SettingsRecord& record);

// `text` cut to `max` code units (never inside a surrogate pair) and at its
// first NUL, as a fixed-size buffer would hold it.
std::u16string FitField(std::u16string_view text, std::size_t max);

// "%s%d": base name and number, e.g. ("DISP", 2) → "DISP2".
std::u16string NumberedKey(std::u16string_view base, int n);

// `folder` with a trailing separator added when it is not empty and lacks one.
std::u16string WithTrailingSeparator(std::u16string_view folder);

}  // namespace plova
