#include "platform/ui/TextProgressDlg.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

#include "platform/Ports.h"
#include "platform/ui/DialogLayout.h"

namespace plova::ui {
namespace {
constexpr int kBarWidth = 300;
constexpr std::uint64_t kMaxBarUnits = std::numeric_limits<int>::max();
}  // namespace

TextProgressDlg::TextProgressDlg(const QString& caption, const QString& text, QWidget* parent)
    : CancelProgressDlg(parent) {
    setWindowTitle(caption);
    text_ = new QLabel(text, this);
    text_->setObjectName(QStringLiteral("text"));
    bar_ = makeBar(1, kBarWidth);
    cancel_ = makeCancelButton();
    SetRange(0);

    auto* body = new QVBoxLayout;
    body->addWidget(text_);
    body->addWidget(bar_);
    LayOutDialog(*this, body, ButtonRow({cancel_}, RowAlign::Centre));
    bar_->setFocus();
}

void TextProgressDlg::SetText(const QString& text) {
    text_->setText(text);
}

void TextProgressDlg::SetRange(std::uint64_t total) {
    total_ = total;
    scale_ = total / kMaxBarUnits + 1;
    // Never 0..0: that range is the busy indicator, not an empty bar.
    bar_->setRange(0, std::max(static_cast<int>(total / scale_), 1));
    bar_->setValue(0);
}

void TextProgressDlg::SetPosition(std::uint64_t position) {
    const int units = static_cast<int>(std::min(position, total_) / scale_);
    if (units > bar_->value()) bar_->setValue(units);
}

std::uint64_t TextProgressDlg::Position() const {
    return static_cast<std::uint64_t>(std::max(bar_->value(), 0)) * scale_;
}

void TextProgressDlg::OnMessage(int message, long long wparam) {
    if (message == msg::kBarPosition && wparam >= 0) SetPosition(static_cast<std::uint64_t>(wparam));
}

}  // namespace plova::ui
