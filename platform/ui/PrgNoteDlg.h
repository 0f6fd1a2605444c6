// The small progress windows of the settings commands: a caption, one line
// of text and a bar, no buttons; Enter and Escape do nothing, so the work
// they show cannot be left half done from the keyboard.
#pragma once

#include <QDialog>
#include <string_view>

class QProgressBar;

namespace plova::ui {

class PrgNoteDlg : public QDialog {
    Q_OBJECT
public:
    PrgNoteDlg(std::u16string_view caption, std::u16string_view text, QWidget* parent);
    void SetRange(int maximum);
    // The bar never passes its maximum; pending events are handled after it.
    void SetPos(int position);
    [[nodiscard]] int Pos() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QProgressBar* bar_ = nullptr;
};

// "登録中": box names being written.
class CPrgBoxNameChgDlg final : public PrgNoteDlg {
    Q_OBJECT
public:
    explicit CPrgBoxNameChgDlg(QWidget* parent);
};

// "消去中": WAV files being deleted; its user sets the bar's range.
class CPrgWavDelDlg final : public PrgNoteDlg {
    Q_OBJECT
public:
    explicit CPrgWavDelDlg(QWidget* parent);
};

}  // namespace plova::ui
