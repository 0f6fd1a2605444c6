// An IPv4 address input of four fields of 0..255, as the platform's IP
// address control behaves: typing three digits or a dot moves on to the
// next field, Backspace in an empty field and the arrow keys at a field's
// edge move between fields, and a value above 255 becomes 255.
#pragma once

#include <QFrame>
#include <array>

#include "app/LoginCheck.h"

class QLineEdit;

namespace plova::ui {

class IpAddressCtrl final : public QFrame {
    Q_OBJECT
public:
    explicit IpAddressCtrl(QWidget* parent = nullptr);

    [[nodiscard]] IpFields Fields() const;
    void SetFields(const IpFields& fields);
    // Every field is empty.
    [[nodiscard]] bool IsBlank() const;
    void Clear();

    [[nodiscard]] QLineEdit* Field(int index) const { return fields_[static_cast<std::size_t>(index)]; }

    [[nodiscard]] QSize sizeHint() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onEdited(int index);
    void focusField(int index, bool atEnd);

    std::array<QLineEdit*, 4> fields_{};
};

}  // namespace plova::ui
