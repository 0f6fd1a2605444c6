// The progress window of a list's first build: "一覧表を開く", modeless,
// with a bar over the messages to load.
#pragma once

#include <QDialog>

class QProgressBar;

namespace plova::ui {

namespace prgopen {
constexpr char16_t kCaption[] = u"一覧表を開く";
constexpr char16_t kText[] = u"一覧表を開いています。";
}  // namespace prgopen

class CPrgOpenDlg final : public QDialog {
    Q_OBJECT
public:
    explicit CPrgOpenDlg(QWidget* parent);
    void SetRange(int total);
    // The bar never passes its maximum.
    void SetPos(int position);
    [[nodiscard]] int Pos() const;

private:
    QProgressBar* bar_;
};

}  // namespace plova::ui
