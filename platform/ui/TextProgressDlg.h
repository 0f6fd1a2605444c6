// A modeless progress window with one line of text, a bar and a Cancel
// button, found by its caption and driven with message 1124 (the position).
// The bar only moves forward, to at most its range: a position below the one
// shown (the heartbeat of a worker that cannot count its steps) leaves it.
#pragma once

#include <QString>
#include <cstdint>

#include "platform/ui/CancelProgressDlg.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace plova::ui {

class TextProgressDlg : public CancelProgressDlg {
    Q_OBJECT
public:
    TextProgressDlg(const QString& caption, const QString& text, QWidget* parent = nullptr);

    void SetText(const QString& text);
    // The bar over 0..`total` at 0.
    void SetRange(std::uint64_t total);
    void SetPosition(std::uint64_t position);
    [[nodiscard]] std::uint64_t Position() const;
    [[nodiscard]] std::uint64_t Range() const { return total_; }

    [[nodiscard]] QLabel* TextLabel() const { return text_; }
    [[nodiscard]] QProgressBar* Bar() const { return bar_; }
    [[nodiscard]] QPushButton* CancelButton() const { return cancel_; }

    // 1124: the bar's position; a negative one is none.
    void OnMessage(int message, long long wparam) override;

private:
    QLabel* text_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* cancel_ = nullptr;
    std::uint64_t total_ = 0;
    std::uint64_t scale_ = 1;  // a QProgressBar counts in int: large ranges are shown in units of this
};

}  // namespace plova::ui
