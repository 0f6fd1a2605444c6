#include "app/ui/ArrangeGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace plova::ui {
namespace {

int bandsFor(int count) {
    return (count + 1) / 2;
}

// a * b / c without overflow for any client size.
int mulDiv(int a, int b, int c) {
    return c == 0 ? 0 : static_cast<int>(std::int64_t{a} * b / c);
}

}  // namespace

std::vector<Rect> TileRects(const Rect& area, int count, bool horizontal) {
    std::vector<Rect> out;
    if (count <= 0) return out;
    int rows = static_cast<int>(std::sqrt(static_cast<double>(count)));
    int columns = count / rows;
    if (horizontal) std::swap(rows, columns);

    const int width = area.Width();
    const int height = area.Height();
    if (!horizontal) {
        // Columns side by side; the last column takes the windows left over.
        const int columnWidth = width / columns;
        int placed = 0;
        for (int c = 0; c < columns && placed < count; ++c) {
            const int inColumn = c == columns - 1 ? count - placed : rows;
            const int rowHeight = height / inColumn;
            for (int r = 0; r < inColumn; ++r, ++placed) {
                const int left = area.left + c * columnWidth;
                const int top = area.top + r * rowHeight;
                out.push_back({left, top, left + columnWidth, top + rowHeight});
            }
        }
    } else {
        // Rows one above the other; the last row takes the windows left over.
        const int rowHeight = height / rows;
        int placed = 0;
        for (int r = 0; r < rows && placed < count; ++r) {
            const int inRow = r == rows - 1 ? count - placed : columns;
            const int columnWidth = width / inRow;
            for (int c = 0; c < inRow; ++c, ++placed) {
                const int left = area.left + c * columnWidth;
                const int top = area.top + r * rowHeight;
                out.push_back({left, top, left + columnWidth, top + rowHeight});
            }
        }
    }
    return out;
}

std::vector<Rect> ArrangeSideBySideRects(const Rect& c, int count) {
    if (count != arrange::kSideBySideCount) return TileRects(c, count, false);
    const int middle = (c.right - c.left) / 2;
    const int bottom = c.bottom - arrange::kBottomStrip;
    const int quarter = (c.bottom - c.top - arrange::kBottomStrip) / 2;
    return {
        {c.left, c.top, middle, bottom},
        {middle, c.top, c.right, quarter},
        {middle, quarter, c.right, bottom},
    };
}

std::vector<Rect> ArrangeAboveEachOtherRects(const Rect& c, int count) {
    if (count < arrange::kPairedFrom) return TileRects(c, count, true);
    std::vector<Rect> out;
    const int bands = bandsFor(count);
    const int usable = c.Height() - arrange::kBottomStrip;
    for (int r = 0; r < bands; ++r) {
        const Rect band{c.left, c.top + mulDiv(usable, r, bands), c.right, c.top + mulDiv(usable, r + 1, bands)};
        const int inBand = std::min(2, count - 2 * r);
        for (const Rect& rect : TileRects(band, inBand, true)) out.push_back(rect);
    }
    return out;
}

std::vector<Rect> ArrangeLeftRightRects(const Rect& c, int count) {
    if (count < arrange::kPairedFrom) return TileRects(c, count, false);
    std::vector<Rect> out;
    const int columns = bandsFor(count);
    const int width = c.Width();
    for (int k = 0; k < columns; ++k) {
        const Rect column{c.left + mulDiv(width, k, columns), c.top, c.left + mulDiv(width, k + 1, columns), c.bottom};
        const int inColumn = std::min(2, count - 2 * k);
        for (const Rect& rect : TileRects(column, inColumn, false)) out.push_back(rect);
    }
    return out;
}

}  // namespace plova::ui
