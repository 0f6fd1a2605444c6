// The progress window of a new system response message, "取り込み中": first
// "音声ファイルを読み込んでいます。" while the chosen file is copied, then
// "音声ファイルを変換しています。" while it is encoded; the bar counts the
// file's bytes.
#pragma once

#include "platform/ui/TextProgressDlg.h"

namespace plova::ui {

class CPrgAddMsgDlg final : public TextProgressDlg {
    Q_OBJECT
public:
    explicit CPrgAddMsgDlg(QWidget* parent = nullptr);
    // Reading a file of `fileSize` bytes: the bar a third of the way.
    void Reading(std::uint64_t fileSize);
    // Read: the bar full, and the conversion text.
    void Converting();
};

}  // namespace plova::ui
