// The main window's commands: command-bar buttons, settings-menu and
// window-menu items with their captions (their ids are in
// platform/CommandIds.h), and the rules that enable and check them. The
// widgets only display what these functions return.
#pragma once

#include <array>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "app/SettingsRecord.h"
#include "link/IdleTimerControl.h"
#include "platform/CommandIds.h"

namespace plova {

namespace cmd {
// Timer 1 of the main window; the other timers are in platform/CommandIds.h.
constexpr int kIdleTimer = 1;
constexpr int kIdleTimerMs = kIdleTimerPeriodMillis;  // 12000
constexpr int kIdleLogoutTicks = 100;
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
    int builtInPlayer = 0;            // "PLAYER" in the program's own section
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

// The menu on a list window's rows: the commands on messages, each with its
// caption and whether it is enabled now, by the same rules as the button or
// menu item it stands for; 追加 and アップロード on the response list only;
// then a separator (id 0) and "フォルダを開く".
struct RowMenuItem {
    int id;
    std::u16string_view caption;
    bool enabled;
};
constexpr std::u16string_view kOpenFolderCaption = u"フォルダを開く";
std::vector<RowMenuItem> RowMenuItems(const CommandContext& context);

// The settings menu's check items ("DOWNCONV", "CONVDEL", and the built-in
// player's "PLAYER"): 1 becomes 0, anything else 1. False, with nothing changed, for any other command.
bool ToggleConversionSetting(SettingsRecord& record, int id);

}  // namespace plova
