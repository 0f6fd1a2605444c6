// 設定 → "操作履歴を表示...": the operations log in a list, newest last,
// chosen by the filters of "plova-cli log". The dialog only shows; reading
// and choosing are the log's own (oplog/LogFilter.h).
#pragma once

#include <QDialog>

#include "oplog/LogFilter.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QTableWidget;

namespace plova::ui {

namespace oplogdlg {
constexpr std::u16string_view kCaption = u"操作履歴";
constexpr std::u16string_view kSince = u"開始日";
constexpr std::u16string_view kUntil = u"終了日";
constexpr std::u16string_view kOperation = u"操作";
constexpr std::u16string_view kMessage = u"メッセージ";
constexpr std::u16string_view kAll = u"（すべて）";
constexpr std::u16string_view kShow = u"表示";
constexpr std::u16string_view kClose = u"閉じる";
constexpr std::u16string_view kBadFilter = u"入力値エラーです。日付は YYYY-MM-DD で入力してください。";
constexpr std::u16string_view kUnreadable = u"読めない行があります: ";
constexpr std::u16string_view kCount = u" 件";
// The columns, left to right.
constexpr std::u16string_view kColumns[] = {u"日時", u"操作",      u"結果", u"実行者", u"主装置", u"ボックスフォルダ",
                                            u"内容", u"メッセージ"};
}  // namespace oplogdlg

class COperationLogDlg : public QDialog {
    Q_OBJECT

public:
    // Lists the log of `journal` at once, unfiltered.
    explicit COperationLogDlg(oplog::Journal journal, QWidget* parent = nullptr);

    // The filter fields, for the window's tests as for the user.
    [[nodiscard]] QLineEdit* SinceField() const { return since_; }
    [[nodiscard]] QLineEdit* UntilField() const { return until_; }
    [[nodiscard]] QComboBox* OperationField() const { return operation_; }
    [[nodiscard]] QLineEdit* MessageField() const { return message_; }
    [[nodiscard]] QTableWidget* Table() const { return table_; }
    [[nodiscard]] QLabel* Status() const { return status_; }

public slots:
    // Reads the log again and shows the entries the fields choose.
    void Show();

private:
    oplog::Journal journal_;
    QLineEdit* since_;
    QLineEdit* until_;
    QComboBox* operation_;
    QLineEdit* message_;
    QTableWidget* table_;
    QLabel* status_;
};

}  // namespace plova::ui
