// Where the list windows go for the window menu's arrangement commands. Plain
// geometry without Qt, so it is tested on its own; the main window applies
// the rectangles. Windows are given from the active one through the
// following ones in stacking order, and rectangles come back in that order.
#pragma once

#include <vector>

#include "app/WindowPlacement.h"

namespace plova::ui {

namespace arrange {
// The strip kept free at the bottom of the client area (room for minimised windows).
constexpr int kBottomStrip = 150;
// "並べて表示" has a layout of its own for exactly this many windows.
constexpr int kSideBySideCount = 3;
// "上下に並べて表示" and "左右に並べて表示" go in pairs from this many windows on.
constexpr int kPairedFrom = 4;
}  // namespace arrange

// The platform's tiling of `count` windows over `area`: a grid of
// floor(sqrt(n)) rows and n / rows columns (rows and columns exchanged for
// horizontal tiling), the last column (row) taking the windows left over.
// Vertical tiling puts two windows side by side, horizontal tiling one above
// the other.
std::vector<Rect> TileRects(const Rect& area, int count, bool horizontal);

// "並べて表示": with exactly three windows, the active one on the left half and
// the next two in the upper and lower right quarters, above the bottom strip;
// otherwise vertical tiling of the whole client area.
std::vector<Rect> ArrangeSideBySideRects(const Rect& client, int count);

// "上下に並べて表示": from four windows on, pairs in bands of equal height above
// the bottom strip, each pair tiled horizontally in its band; fewer windows
// are tiled horizontally over the client area.
std::vector<Rect> ArrangeAboveEachOtherRects(const Rect& client, int count);

// "左右に並べて表示": from four windows on, pairs in columns of equal width, each
// pair tiled vertically in its column; fewer windows are tiled vertically.
std::vector<Rect> ArrangeLeftRightRects(const Rect& client, int count);

}  // namespace plova::ui
