// The whole message as a waveform (lowest and highest sample of each pixel
// column), with where playing stands; a click or a drag seeks.
#pragma once

#include <QWidget>
#include <functional>
#include <vector>

#include "player/Clip.h"

namespace plova::ui {

class WaveformView final : public QWidget {
    Q_OBJECT
public:
    explicit WaveformView(QWidget* parent = nullptr);

    // The clip drawn (none: an empty view); the view keeps only its peaks.
    void SetClip(const player::Clip* clip);
    // Where playing stands, as a share of the whole.
    void SetPlace(double share);
    // Told the share of the whole a click or drag points at.
    std::function<void(double share)> onSeek;

    [[nodiscard]] QSize sizeHint() const override { return {480, 96}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void seekTo(int x);

    const player::Clip* clip_ = nullptr;
    std::vector<player::Peak> peaks_;
    double place_ = 0;
};

}  // namespace plova::ui
