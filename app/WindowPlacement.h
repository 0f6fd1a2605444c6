// Where the main window and the list windows sit: restoring the main
// window's rectangle on the screen, and the "Window" and "Window1".."Window4"
// sections of the settings file. The UI fills these plain structs from its
// windows and applies what comes back.
#pragma once

#include <array>
#include <optional>
#include <vector>

#include "platform/IniFile.h"

namespace plova {

namespace placement {
constexpr int kAbsent = -9999;  // what a missing "Window" key reads as
constexpr int kShowNormal = 1;
constexpr int kShowMinimized = 2;
constexpr int kShowMaximized = 3;
// Smallest size of the main window (845 x 260 while a list window is active).
constexpr int kMinTrackWidth = 845;
constexpr int kMinTrackHeight = 250;
constexpr int kMinTrackHeightWithList = 260;
}  // namespace placement

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    [[nodiscard]] int Width() const { return right - left; }
    [[nodiscard]] int Height() const { return bottom - top; }
    bool operator==(const Rect&) const = default;
};

// The four shifts that bring a stored main-window rectangle onto a screen of
// `screenWidth` x `screenHeight`: right edge beyond W → right at W + 1; left
// below 0 → left at 1; bottom beyond H → bottom at H + 1; top below 0 → top
// at 1; each keeps the size. Never overflows, whatever the stored values.
Rect ShiftOntoScreen(Rect stored, int screenWidth, int screenHeight);

// The rectangle the main window opens at: the stored one grown to the
// minimum tracking size when smaller, then shifted onto the screen. With no
// "Window" section (all -9999) it is two thirds of the screen (never below the
// minimum size), centred; without a screen, the top left corner at the minimum size.
Rect RestoreMainWindowPlacement(Rect stored, int screenWidth, int screenHeight);

// "Window"/"Left", "Top", "Right", "Bottom", -9999 when absent.
Rect ReadMainWindowRect(const IniDocument& ini);

// One "Window1".."Window4" section as stored.
struct StoredListWindow {
    Rect rect;
    int showCmd = placement::kAbsent;
    int zOrder = placement::kAbsent;
};
StoredListWindow ReadListWindowSection(const IniDocument& ini, int number);

// A list window as the UI sees it at exit, given in stacking order: the
// active one first, then its following siblings.
struct ListWindowState {
    int listNumber = 0;  // the number of its view, 1..4
    Rect normal;         // its normal (restored) rectangle
    int showCmd = placement::kShowNormal;
};

// What the exit writes into one "Window"n section.
struct ListWindowSection {
    int number = 0;  // n of "Window"n
    Rect rect;
    int showCmd = 0;
    int zOrder = 0;
};

// Everything the placement save writes: the main window's normal rectangle
// and all four list-window sections (always four, empty ones all zero).
struct PlacementSave {
    Rect mainWindow;
    std::array<ListWindowSection, 4> lists;
};

// The four sections from the list windows in stacking order (at most four
// are looked at). When one of them is maximised, every section gets its
// rectangle and show state 3, since the children of the frame are then all
// shown maximised.
PlacementSave PlanPlacementSave(Rect mainWindow, const std::vector<ListWindowState>& fromActive);

// Writes the "Window" section and the four list-window sections.
void WritePlacement(IniDocument& ini, const PlacementSave& save);

}  // namespace plova
