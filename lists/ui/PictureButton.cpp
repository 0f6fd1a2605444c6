#include "lists/ui/PictureButton.h"

#include <QPainter>

namespace plova::ui {

PictureButton::PictureButton(QPixmap normal, QPixmap pressed, QWidget* parent)
    : QAbstractButton(parent), normal_(std::move(normal)), pressed_(std::move(pressed)) {
    setFixedSize(sizeHint());
    setFocusPolicy(Qt::StrongFocus);
}

void PictureButton::paintEvent(QPaintEvent*) {
    QPainter g(this);
    g.drawPixmap(0, 0, isDown() ? pressed_ : normal_);
    if (hasFocus()) {
        g.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
        g.drawRect(rect().adjusted(2, 2, -3, -3));
    }
}

}  // namespace plova::ui
