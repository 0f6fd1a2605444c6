// A button that is its picture: one drawing when up, another while pressed,
// and the size of the drawing.
#pragma once

#include <QAbstractButton>
#include <QPixmap>

namespace plova::ui {

class PictureButton final : public QAbstractButton {
    Q_OBJECT
public:
    PictureButton(QPixmap normal, QPixmap pressed, QWidget* parent);
    [[nodiscard]] QSize sizeHint() const override { return normal_.deviceIndependentSize().toSize(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap normal_, pressed_;
};

}  // namespace plova::ui
