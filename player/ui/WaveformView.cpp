#include "player/ui/WaveformView.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace plova::ui {

WaveformView::WaveformView(QWidget* parent) : QWidget(parent) {
    setMinimumHeight(64);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void WaveformView::SetClip(const player::Clip* clip) {
    clip_ = clip;
    peaks_ = clip_ ? player::Peaks(*clip_, width()) : std::vector<player::Peak>{};
    place_ = 0;
    update();
}

void WaveformView::SetPlace(double share) {
    share = std::clamp(share, 0.0, 1.0);
    if (share == place_) return;
    place_ = share;
    update();
}

void WaveformView::resizeEvent(QResizeEvent*) {
    if (clip_) peaks_ = player::Peaks(*clip_, width());
}

void WaveformView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().base());
    const int mid = height() / 2;
    const double scale = (height() / 2.0 - 2) / 32768.0;
    const int playedUpTo = static_cast<int>(place_ * width());
    const QColor played = palette().highlight().color();
    const QColor ahead = palette().text().color();
    for (int x = 0; x < static_cast<int>(peaks_.size()); ++x) {
        const player::Peak& peak = peaks_[static_cast<std::size_t>(x)];
        p.setPen(x < playedUpTo ? played : ahead);
        p.drawLine(x, mid - static_cast<int>(peak.high * scale), x, mid - static_cast<int>(peak.low * scale));
    }
    p.setPen(palette().mid().color());
    p.drawLine(0, mid, width(), mid);
    p.setPen(QPen(played, 2));
    p.drawLine(playedUpTo, 0, playedUpTo, height());
}

void WaveformView::seekTo(int x) {
    if (!clip_ || width() <= 0) return;
    const double share = std::clamp(static_cast<double>(x) / width(), 0.0, 1.0);
    SetPlace(share);
    if (onSeek) onSeek(share);
}

void WaveformView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) seekTo(static_cast<int>(event->position().x()));
}

void WaveformView::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) seekTo(static_cast<int>(event->position().x()));
}

}  // namespace plova::ui
