#include "app/WindowPlacement.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "app/SettingsRecord.h"

namespace plova {
namespace {

using namespace placement;

constexpr std::u16string_view kMainSection = u"Window";

int clampToInt(std::int64_t v) {
    return static_cast<int>(std::clamp<std::int64_t>(v, INT_MIN, INT_MAX));
}

Rect readRect(const IniDocument& ini, std::u16string_view section) {
    return Rect{ini.GetInt(section, u"Left", kAbsent), ini.GetInt(section, u"Top", kAbsent),
                ini.GetInt(section, u"Right", kAbsent), ini.GetInt(section, u"Bottom", kAbsent)};
}

void writeRect(IniDocument& ini, std::u16string_view section, const Rect& r) {
    ini.SetInt(section, u"Left", r.left);
    ini.SetInt(section, u"Top", r.top);
    ini.SetInt(section, u"Right", r.right);
    ini.SetInt(section, u"Bottom", r.bottom);
}

}  // namespace

namespace {

// Stored values come from a file anybody can edit: work in 64 bits and
// bring the result back into range at the end.
struct Wide {
    std::int64_t left, top, right, bottom;
    explicit Wide(const Rect& r) : left(r.left), top(r.top), right(r.right), bottom(r.bottom) {}
    [[nodiscard]] Rect Narrow() const {
        return Rect{clampToInt(left), clampToInt(top), clampToInt(right), clampToInt(bottom)};
    }
};

// One axis of shift(): a span reaching past `limit` moves back inside it,
// one starting below zero moves to start at 1.
void shiftAxis(std::int64_t& low, std::int64_t& high, std::int64_t limit) {
    if (high > limit) {
        const std::int64_t by = high - limit - 1;
        low -= by, high -= by;
    }
    if (low < 0) {
        high = high - low + 1;
        low = 1;
    }
}

void shift(Wide& r, std::int64_t screenWidth, std::int64_t screenHeight) {
    shiftAxis(r.left, r.right, screenWidth);
    shiftAxis(r.top, r.bottom, screenHeight);
}

}  // namespace

Rect ShiftOntoScreen(Rect stored, int screenWidth, int screenHeight) {
    Wide r(stored);
    shift(r, screenWidth, screenHeight);
    return r.Narrow();
}

Rect RestoreMainWindowPlacement(Rect stored, int screenWidth, int screenHeight) {
    // Nothing stored: the first start opens at two thirds of the screen,
    // centred, rather than as a strip in the corner.
    if (stored == Rect{kAbsent, kAbsent, kAbsent, kAbsent} && screenWidth > 0 && screenHeight > 0) {
        const int width = std::max(kMinTrackWidth, screenWidth / 3 * 2);
        const int height = std::max(kMinTrackHeight, screenHeight / 3 * 2);
        const int left = std::max(0, (screenWidth - width) / 2);
        const int top = std::max(0, (screenHeight - height) / 2);
        return {left, top, left + width, top + height};
    }
    // The window cannot be smaller than its minimum tracking size, so grow the
    // rectangle (an inverted one included) to that size before shifting it:
    // the window that finally shows is then the one brought onto the screen.
    Wide r(stored);
    r.right = std::max(r.right, r.left + kMinTrackWidth);
    r.bottom = std::max(r.bottom, r.top + kMinTrackHeight);
    shift(r, screenWidth, screenHeight);
    return r.Narrow();
}

Rect ReadMainWindowRect(const IniDocument& ini) {
    return readRect(ini, kMainSection);
}

StoredListWindow ReadListWindowSection(const IniDocument& ini, int number) {
    const std::u16string section = NumberedKey(kMainSection, number);
    StoredListWindow w;
    w.rect = readRect(ini, section);
    w.showCmd = ini.GetInt(section, u"showCmd", kAbsent);
    w.zOrder = ini.GetInt(section, u"ZOrder", kAbsent);
    return w;
}

PlacementSave PlanPlacementSave(Rect mainWindow, const std::vector<ListWindowState>& fromActive) {
    PlacementSave save;
    save.mainWindow = mainWindow;
    const std::size_t walk = std::min<std::size_t>(fromActive.size(), 4);

    const ListWindowState* maximised = nullptr;
    for (std::size_t i = 0; i < walk && !maximised; ++i)
        if (fromActive[i].showCmd == kShowMaximized) maximised = &fromActive[i];

    for (int a = 1; a <= 4; ++a) {
        ListWindowSection& s = save.lists[a - 1];
        const ListWindowState* at = static_cast<std::size_t>(a) <= walk ? &fromActive[a - 1] : nullptr;
        s.number = at && at->listNumber >= 1 && at->listNumber <= 4 ? at->listNumber : a;
        if (maximised) {
            s.rect = maximised->normal;
            s.showCmd = kShowMaximized;
        } else if (at) {
            s.rect = at->normal;
            s.showCmd = at->showCmd;
        }
        s.zOrder = a;
    }
    return save;
}

void WritePlacement(IniDocument& ini, const PlacementSave& save) {
    writeRect(ini, kMainSection, save.mainWindow);
    for (const ListWindowSection& s : save.lists) {
        const std::u16string section = NumberedKey(kMainSection, s.number);
        writeRect(ini, section, s.rect);
        ini.SetInt(section, u"showCmd", s.showCmd);
        ini.SetInt(section, u"ZOrder", s.zOrder);
    }
}

}  // namespace plova
