#include "lists/ui/ListPictures.h"

#include <QPainter>
#include <QPainterPath>
#include <array>

namespace plova::ui {
namespace {

using namespace pictures;

QPixmap blank(int w, int h) {
    QPixmap p(w, h);
    p.fill(Qt::transparent);
    return p;
}

QPixmap drawTick(bool ticked, bool greyed) {
    QPixmap p = blank(kTickSize, kTickSize);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing, false);
    const QColor frame = greyed ? QColor(0xA0, 0xA0, 0xA0) : QColor(0x1C, 0x51, 0x80);
    g.setPen(frame);
    g.setBrush(greyed ? QColor(0xEC, 0xE9, 0xD8) : Qt::white);
    g.drawRect(0, 0, kTickSize - 1, kTickSize - 1);
    if (ticked) {
        g.setRenderHint(QPainter::Antialiasing, true);
        g.setPen(QPen(greyed ? QColor(0x80, 0x80, 0x80) : QColor(0x21, 0xA1, 0x21), 2, Qt::SolidLine, Qt::RoundCap,
                      Qt::RoundJoin));
        QPainterPath mark;
        mark.moveTo(3, 6.5);
        mark.lineTo(5.5, 9);
        mark.lineTo(10, 3.5);
        g.setBrush(Qt::NoBrush);
        g.drawPath(mark);
    }
    return p;
}

// A loudspeaker with a mark beside it: what came from the main unit, at a glance.
QPixmap drawDownload(int state, bool selected) {
    QPixmap p = blank(kDownloadWidth, kDownloadHeight);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing, true);
    const QColor ink = selected ? Qt::white : QColor(0x30, 0x30, 0x30);
    const int x = 8;
    if (state == 0) {
        // Information only: a sheet of paper, no speech.
        g.setPen(QPen(ink, 1));
        g.setBrush(selected ? QColor(0x31, 0x6A, 0xC5).lighter(150) : QColor(0xFF, 0xFB, 0xE6));
        QPolygonF sheet({{x + 4.5, 1.5}, {x + 13.5, 1.5}, {x + 17.5, 5.5}, {x + 17.5, 14.5}, {x + 4.5, 14.5}});
        g.drawPolygon(sheet);
        for (int line = 0; line < 3; ++line)
            g.drawLine(QPointF(x + 7, 6.5 + 3 * line), QPointF(x + 15, 6.5 + 3 * line));
    } else {
        g.setPen(Qt::NoPen);
        g.setBrush(ink);
        QPolygonF speaker(
            {{x + 1.0, 6.0}, {x + 4.0, 6.0}, {x + 9.0, 2.0}, {x + 9.0, 14.0}, {x + 4.0, 10.0}, {x + 1.0, 10.0}});
        g.drawPolygon(speaker);
        g.setPen(QPen(ink, 1.2));
        g.setBrush(Qt::NoBrush);
        g.drawArc(QRectF(x + 6, 4, 6, 8), -60 * 16, 120 * 16);
        g.drawArc(QRectF(x + 6, 1.5, 10, 13), -60 * 16, 120 * 16);
        // The mark: played (a tick), not played (a dot), deleted on the main unit (a cross).
        const QColor markColour = state == 1   ? (selected ? QColor(0xB8, 0xF0, 0xB8) : QColor(0x1E, 0x90, 0x1E))
                                  : state == 2 ? (selected ? QColor(0xFF, 0xD8, 0x80) : QColor(0xE0, 0x80, 0x00))
                                               : (selected ? QColor(0xFF, 0xB0, 0xB0) : QColor(0xC0, 0x20, 0x20));
        g.setPen(QPen(markColour, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        const double m = x + 19;
        if (state == 1) {
            g.drawPolyline(QPolygonF({{m, 8.0}, {m + 3, 11.0}, {m + 8, 4.0}}));
        } else if (state == 2) {
            g.setBrush(markColour);
            g.drawEllipse(QPointF(m + 4, 8), 3, 3);
        } else {
            g.drawLine(QPointF(m + 1, 4), QPointF(m + 8, 12));
            g.drawLine(QPointF(m + 8, 4), QPointF(m + 1, 12));
        }
    }
    return p;
}

QPixmap drawSort(bool ascending) {
    QPixmap p = blank(kSortSize, kSortSize);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing, true);
    g.setPen(Qt::NoPen);
    g.setBrush(QColor(0x50, 0x50, 0x50));
    const QPolygonF up({{4.0, 11.0}, {12.0, 11.0}, {8.0, 5.0}});
    const QPolygonF down({{4.0, 5.0}, {12.0, 5.0}, {8.0, 11.0}});
    g.drawPolygon(ascending ? up : down);
    return p;
}

}  // namespace

const QPixmap& TickPicture(bool ticked, bool greyed) {
    static const std::array<QPixmap, 4> all = {drawTick(false, false), drawTick(true, false), drawTick(false, true),
                                               drawTick(true, true)};
    return all[(ticked ? 1 : 0) + (greyed ? 2 : 0)];
}

const QPixmap& DownloadPicture(int state, bool selected) {
    static const std::array<QPixmap, 8> all = {drawDownload(0, false), drawDownload(1, false), drawDownload(2, false),
                                               drawDownload(3, false), drawDownload(0, true),  drawDownload(1, true),
                                               drawDownload(2, true),  drawDownload(3, true)};
    const int s = state < 0 ? 0 : state > 3 ? 3 : state;
    return all[s + (selected ? 4 : 0)];
}

const QPixmap& SortPicture(bool ascending) {
    static const std::array<QPixmap, 2> all = {drawSort(true), drawSort(false)};
    return all[ascending ? 0 : 1];
}

QIcon ListWindowIcon() {
    QPixmap p = blank(16, 16);
    QPainter g(&p);
    g.setPen(QColor(0x1C, 0x51, 0x80));
    g.setBrush(Qt::white);
    g.drawRect(1, 1, 13, 13);
    g.setBrush(QColor(0x31, 0x6A, 0xC5));
    g.drawRect(1, 1, 13, 3);
    for (int y = 7; y <= 12; y += 2) g.drawLine(3, y, 12, y);
    return QIcon(p);
}

QFont ListFont() {
    QFont f;
    f.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic")});
    f.setPixelSize(13);
    f.setWeight(QFont::Normal);
    return f;
}

}  // namespace plova::ui
