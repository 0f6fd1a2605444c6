// The numbers of the main window's commands: its command-bar buttons and
// displays, the items of its settings and window menus, and its timers. The
// windows of every folder register and start commands by these numbers, and
// the rules that enable them (app/CommandTable.h) look them up.
#pragma once

namespace plova {

namespace cmd {
// Command-bar buttons (dialog template 103).
constexpr int kFolderDownload = 1001;     // "ﾌｫﾙﾀﾞのﾀﾞｳﾝﾛｰﾄﾞ"
constexpr int kDownloadAll = 1002;        // "一括ﾀﾞｳﾝﾛｰﾄﾞ"
constexpr int kDownloadSelected = 1003;   // "選択ﾀﾞｳﾝﾛｰﾄﾞ"
constexpr int kDownloadVoiceData = 1004;  // "音声ﾃﾞｰﾀﾀﾞｳﾝﾛｰﾄﾞ"
constexpr int kSettingsMenu = 1005;       // "設定"
constexpr int kWindowMenu = 1006;         // "ウィンドウ"
constexpr int kVersion = 1007;            // "バージョン"
constexpr int kFolderChange = 1008;       // "フォルダ名"
constexpr int kOpenBoxes = 1009;          // "ボックス"
constexpr int kSelectDisplay = 1010;      // "選択表示"
constexpr int kShowAll = 1011;            // "全表示"
constexpr int kShowUndownloaded = 1012;   // "未ﾀﾞｳﾝﾛｰﾄﾞ表示"
constexpr int kConvert = 1013;            // "変換"
constexpr int kPlay = 1014;               // "再生"
constexpr int kErase = 1015;              // "消去"
constexpr int kMoveCopy = 1016;           // "移動・コピー"
constexpr int kUpload = 1017;             // "アップロード"
constexpr int kAdd = 1018;                // "追加"
constexpr int kFirstButton = kFolderDownload;
constexpr int kLastButton = kAdd;

// Command-bar displays.
constexpr int kBoxDisplay = 1023;
constexpr int kFolderDisplay = 1024;

// Settings menu (menu resource 151).
constexpr int kLogin = 32784;
constexpr int kLogout = 32785;
constexpr int kStartupFolder = 32786;
constexpr int kToggleDownConv = 32787;
constexpr int kDeleteWavFiles = 32788;
constexpr int kToggleConvDel = 32789;
constexpr int kDisplayItems = 32790;
constexpr int kEditRecording = 32791;
constexpr int kEditBoxNames = 32792;
constexpr int kCreateBoxFolder = 32793;
constexpr int kRenameBoxFolder = 32794;
constexpr int kExportList = 32795;
constexpr int kImportBoxNames = 32796;
constexpr int kBackupSettings = 32803;
constexpr int kOperationLog = 32811;         // "操作履歴を表示...": the operations log
constexpr int kToggleBuiltInPlayer = 32820;  // "内蔵プレーヤーで再生する"

// The rows' own menu of a list window.
constexpr int kOpenMessageFolder = 32810;  // "フォルダを開く": the message's folder in the file manager

// Window menu (menu resource 152).
constexpr int kArrangeSideBySide = 32800;
constexpr int kArrangeCascade = 57650;
constexpr int kArrangeAboveEachOther = 57651;
constexpr int kArrangeLeftRight = 57652;
constexpr int kActivateListBase = 10000;  // 10001..10004 activate list window 1..4

// Timers of the main window and of modal dialogs (timer 1, the idle timer,
// is app/CommandTable.h's).
constexpr int kBackupTimer = 2;
constexpr int kBackupTimerMs = 5000;
constexpr int kDialogBackupTimer = 10;
constexpr int kDialogBackupTimerMs = 10000;
}  // namespace cmd

}  // namespace plova
