// "ﾌｧｲﾙ上書きの確認": a file of the message being moved or copied is already
// in the target box. はい replaces it (and the rest of that message), 全て上書き
// every file from here on, いいえ leaves the message, キャンセル ends the run.
#pragma once

#include <QDialog>
#include <string>

#include "store/MessageTransfer.h"

class QLabel;
class QPushButton;

namespace plova::ui {

namespace overwrite {
constexpr char16_t kCaption[] = u"ﾌｧｲﾙ上書きの確認";
constexpr int kText = 1152;
constexpr int kYes = 1;
constexpr int kAll = 1150;
constexpr int kNo = 1151;
constexpr int kCancel = 2;
}  // namespace overwrite

class COwrMsgDlg final : public QDialog {
    Q_OBJECT
public:
    COwrMsgDlg(const std::u16string& fileName, QWidget* parent);

    OverwriteChoice Choice() const { return choice_; }
    [[nodiscard]] QPushButton* Button(int id) const;
    [[nodiscard]] QLabel* Text() const { return text_; }

protected:
    void reject() override;

private:
    void choose(OverwriteChoice choice);
    OverwriteChoice choice_ = OverwriteChoice::Cancel;
    QLabel* text_;
};

}  // namespace plova::ui
