// The pictures of the lists, drawn here rather than loaded: the tick boxes
// (ticked, empty, and their greyed forms), the four download states in their
// normal and selected forms, the two header sort directions and the list
// window's icon. Each is drawn once and kept.
#pragma once

#include <QFont>
#include <QIcon>
#include <QPixmap>

namespace plova::ui {

namespace pictures {
constexpr int kTickSize = 13;
constexpr int kDownloadWidth = 40;
constexpr int kDownloadHeight = 16;
constexpr int kSortSize = 16;
}  // namespace pictures

const QPixmap& TickPicture(bool ticked, bool greyed);
// `state` 0..3 as the download-state byte has it.
const QPixmap& DownloadPicture(int state, bool selected);
const QPixmap& SortPicture(bool ascending);
QIcon ListWindowIcon();

// The lists' font: "ＭＳ Ｐゴシック" 13 pixels high, or its stand-in here.
QFont ListFont();

}  // namespace plova::ui
