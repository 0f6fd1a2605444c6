// The progress window of the upload, "アップロード中": the bar counts the
// selected rows as the upload handles them.
#pragma once

#include "platform/ui/TextProgressDlg.h"

namespace plova::ui {

namespace uploadwindow {
constexpr char16_t kCaption[] = u"アップロード中";
constexpr char16_t kText[] = u"システム応答メッセージをアップロードしています。";
}  // namespace uploadwindow

class CPrgULMsgDlg final : public TextProgressDlg {
    Q_OBJECT
public:
    explicit CPrgULMsgDlg(QWidget* parent = nullptr);
};

}  // namespace plova::ui
