#include "platform/ui/TextProgressDlg.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

#include "platform/Ports.h"
#include "platform/ui/DialogLayout.h"
#include "platform/ui/QtPorts.h"

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
    bar_ = new QProgressBar(this);
    bar_->setTextVisible(false);
    bar_->setMinimumWidth(kBarWidth);
    cancel_ = MakeCancelButton();
    SetRange(0);

    auto* body = new QVBoxLayout;
    body->addWidget(text_);
    body->addWidget(bar_);
    LayOutDialog(*this, body, CentredRow(cancel_));
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

void TextProgressDlg::customEvent(QEvent* event) {
    if (event->type() != WindowMessageEvent::eventType()) return QDialog::customEvent(event);
    const auto* m = static_cast<WindowMessageEvent*>(event);
    if (m->message() == msg::kBarPosition && m->wparam() >= 0) SetPosition(static_cast<std::uint64_t>(m->wparam()));
}

}  // namespace plova::ui
