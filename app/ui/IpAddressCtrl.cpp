#include "app/ui/IpAddressCtrl.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace plova::ui {
namespace {

constexpr int kFieldMax = 255;
constexpr int kFieldDigits = 3;

}  // namespace

IpAddressCtrl::IpAddressCtrl(QWidget* parent) : QFrame(parent) {
    // Looks like one edit box: the frame and background of an edit, the
    // fields themselves without frames.
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
    setFocusPolicy(Qt::StrongFocus);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 1, 2, 1);
    layout->setSpacing(0);
    auto* validator = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), this);
    for (int i = 0; i < 4; ++i) {
        auto* edit = new QLineEdit(this);
        edit->setFrame(false);
        edit->setMaxLength(kFieldDigits);
        edit->setValidator(validator);
        edit->setAlignment(Qt::AlignCenter);
        edit->installEventFilter(this);
        // Tab moves past the whole control, as on the platform; the fields
        // after the first are reached by typing, the arrow keys or a click.
        if (i > 0) edit->setFocusPolicy(Qt::ClickFocus);
        const int width = edit->fontMetrics().horizontalAdvance(QStringLiteral("0000"));
        edit->setMinimumWidth(width);
        connect(edit, &QLineEdit::textEdited, this, [this, i] { onEdited(i); });
        fields_[static_cast<std::size_t>(i)] = edit;
        layout->addWidget(edit, 1);
        if (i < 3) {
            auto* dot = new QLabel(QStringLiteral("."), this);
            dot->setAlignment(Qt::AlignCenter);
            layout->addWidget(dot);
        }
    }
    setFocusProxy(fields_[0]);
}

QSize IpAddressCtrl::sizeHint() const {
    const QSize edit = fields_[0]->sizeHint();
    const int digits = fontMetrics().horizontalAdvance(QStringLiteral("000.000.000.000"));
    return {digits + 4 * fontMetrics().horizontalAdvance(QStringLiteral("0")) + 8, edit.height() + 4};
}

IpFields IpAddressCtrl::Fields() const {
    IpFields out;
    for (std::size_t i = 0; i < 4; ++i) {
        bool ok = false;
        const int v = fields_[i]->text().toInt(&ok);
        if (ok) out[i] = std::min(v, kFieldMax);
    }
    return out;
}

void IpAddressCtrl::SetFields(const IpFields& values) {
    for (std::size_t i = 0; i < 4; ++i)
        fields_[i]->setText(values[i] ? QString::number(std::clamp(*values[i], 0, kFieldMax)) : QString());
}

bool IpAddressCtrl::IsBlank() const {
    for (QLineEdit* f : fields_)
        if (!f->text().isEmpty()) return false;
    return true;
}

void IpAddressCtrl::Clear() {
    for (QLineEdit* f : fields_) f->clear();
}

void IpAddressCtrl::onEdited(int index) {
    QLineEdit* edit = fields_[static_cast<std::size_t>(index)];
    bool ok = false;
    if (edit->text().toInt(&ok) > kFieldMax && ok) edit->setText(QString::number(kFieldMax));
    if (edit->text().size() == kFieldDigits && edit->cursorPosition() == kFieldDigits && index < 3)
        focusField(index + 1, false);
}

void IpAddressCtrl::focusField(int index, bool atEnd) {
    QLineEdit* edit = fields_[static_cast<std::size_t>(index)];
    edit->setFocus(Qt::OtherFocusReason);
    if (atEnd) {
        edit->deselect();
        edit->setCursorPosition(static_cast<int>(edit->text().size()));
    } else {
        edit->selectAll();
    }
}

bool IpAddressCtrl::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QFrame::eventFilter(watched, event);
    int index = -1;
    for (int i = 0; i < 4; ++i)
        if (fields_[static_cast<std::size_t>(i)] == watched) index = i;
    if (index < 0) return QFrame::eventFilter(watched, event);

    QLineEdit* edit = fields_[static_cast<std::size_t>(index)];
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool atStart = edit->cursorPosition() == 0 && !edit->hasSelectedText();
    const bool atEnd = edit->cursorPosition() == edit->text().size() && !edit->hasSelectedText();
    switch (key->key()) {
    case Qt::Key_Period:
    case Qt::Key_Space:
        // A dot ends the field when something has been typed in it.
        if (index < 3 && !edit->text().isEmpty()) focusField(index + 1, false);
        return true;
    case Qt::Key_Backspace:
    case Qt::Key_Left:
        if (atStart && index > 0) {
            focusField(index - 1, true);
            return true;
        }
        break;
    case Qt::Key_Right:
        if (atEnd && index < 3) {
            QLineEdit* next = fields_[static_cast<std::size_t>(index) + 1];
            next->setFocus(Qt::OtherFocusReason);
            next->setCursorPosition(0);
            return true;
        }
        break;
    default: break;
    }
    return QFrame::eventFilter(watched, event);
}

}  // namespace plova::ui
