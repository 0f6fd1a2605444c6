// The main window's commands: command-bar buttons, settings-menu and
// window-menu items with their ids and captions, and the rules that enable
// and check them. The widgets only display what these functions return.
#pragma once

#include <array>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "app/SettingsRecord.h"
#include "link/IdleTimerControl.h"

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

// Window menu (menu resource 152).
constexpr int kArrangeSideBySide = 32800;
constexpr int kArrangeCascade = 57650;
constexpr int kArrangeAboveEachOther = 57651;
constexpr int kArrangeLeftRight = 57652;
constexpr int kActivateListBase = 10000;  // 10001..10004 activate list window 1..4

// Timers of the main window and of modal dialogs.
constexpr int kIdleTimer = 1;
constexpr int kIdleTimerMs = kIdleTimerPeriodMillis;  // 12000
constexpr int kIdleLogoutTicks = 100;
constexpr int kBackupTimer = 2;
constexpr int kBackupTimerMs = 5000;
constexpr int kDialogBackupTimer = 10;
constexpr int kDialogBackupTimerMs = 10000;
}  // namespace cmd

// A command's id and caption. A menu entry with id 0 is a separator.
struct CommandCaption {
    int id;
    std::u16string_view caption;
};
extern const std::vector<CommandCaption> kButtonCaptions;     // 1001..1018 in order
extern const std::vector<CommandCaption> kSettingsMenuItems;  // in menu order, 0 = separator
extern const std::vector<CommandCaption> kWindowMenuItems;    // arrangement items in menu order

constexpr std::u16string_view kSettingsMenuTitle = u"設定";
constexpr std::u16string_view kUploadQuestion = u"アップロードを開始します。\nよろしいですか？";
constexpr std::u16string_view kUploadQuestionCaption = u"アップロードの確認";
constexpr std::u16string_view kWindowMenuTitle = u"ウィンドウ(&W)";

// The seven flags the active list window publishes.
struct ListEnableFlags {
    bool convert = false;
    bool undownloaded = false;
    bool play = false;
    bool moveCopy = false;
    bool add = false;
    bool erase = false;
    bool upload = false;
};

// What the enabling rules look at; the main window fills it on each idle pass.
struct CommandContext {
    bool loggedIn = false;
    bool openFolderIsBoxFolder = false;  // root + FOLDERNAME passes the box-folder test
    std::u16string folderDisplay;        // text of display 1024
    bool listActive = false;             // a list window is active
    int listCount = 0;                   // open list windows
    ListEnableFlags flags;               // of the active list window
    bool activeListIsSystemResponse = false;
    bool openFolderHasBoxes = false;  // a box sub-folder under its "rusuroku" or "naisen"
    bool rootFolderEmpty = true;      // "FOLDER" is empty
    int downConv = 0;                 // "DOWNCONV"
    int convDel = 0;                  // "CONVDEL"
};

struct ItemState {
    bool enabled = true;
    bool checked = false;
    bool operator==(const ItemState&) const = default;
};
using ItemStates = std::map<int, ItemState>;

// The box-folder facts the rules need, from the disk: the open box folder
// (root plus FOLDERNAME) is a box folder; it holds at least one box (a
// sub-folder of its "rusuroku" or "naisen"), which renaming boxes needs.
bool OpenFolderIsBoxFolder(const SettingsRecord& record);
bool OpenFolderHasBoxes(const SettingsRecord& record);

// Button 1017 asks before anything goes to the main unit: true for "yes".
bool ConfirmUpload();

// Buttons 1001..1018.
ItemStates ButtonStates(const CommandContext& context);
// Items of the settings menu, prepared each time it opens.
ItemStates SettingsMenuStates(const CommandContext& context);
// The arrangement items of the window menu (32800 grayed with no list window).
ItemStates WindowMenuStates(const CommandContext& context);

// The list items of the window menu: one per open list window, captioned
// with its DISP text ("?" shown as ",", cut to 30 characters plus "..."),
// the active one checked. Empty when no list window is active.
struct WindowMenuListItem {
    int id;  // 10000 + list number
    std::u16string caption;
    bool checked;
};
std::vector<WindowMenuListItem> WindowMenuListItems(const std::array<std::u16string, 4>& disp, int listCount,
                                                    int activeListNumber);

// The settings menu's two check items ("DOWNCONV", "CONVDEL"): 1 becomes 0,
// anything else 1. False, with nothing changed, for any other command.
bool ToggleConversionSetting(SettingsRecord& record, int id);

}  // namespace plova
