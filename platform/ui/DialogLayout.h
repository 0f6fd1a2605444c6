// Small pieces every window shares: the program's font, texts from the
// logic's UTF-16 literals, and the dialog layouts (body, button row,
// progress window, message box).
#pragma once

#include <QString>
#include <QStyle>
#include <functional>
#include <initializer_list>
#include <string_view>

class QDialog;
class QHBoxLayout;
class QLabel;
class QLayout;
class QProgressBar;
class QPushButton;

namespace plova::ui {

// The program's font: the family the screens were designed for, then its
// usual stand-in on this platform.
void ApplyApplicationFont();

// Qt's own texts (the file, folder and colour dialogs, the edit fields' menus)
// in Japanese whatever the system's language, since the interface is Japanese:
// Qt's translations from a "translations" folder beside the program, else
// from Qt's own folder. False when neither holds them (English stays then).
bool LoadQtJapanese();

inline QString Qs(std::u16string_view s) {
    return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
}

// `body` above `buttons` (none when null); the dialog takes the size its contents need and
// has no context-help button.
void LayOutDialog(QDialog& dialog, QLayout* body, QLayout* buttons);

// A row of buttons at the right edge, or centred, in the order given.
enum class RowAlign { Right, Centre };
QHBoxLayout* ButtonRow(std::initializer_list<QPushButton*> buttons, RowAlign align = RowAlign::Right);

// "OK" and "キャンセル" of `dialog`: OK is the default button and runs
// `onOk` (the dialog's accept() when empty), Cancel rejects the dialog.
struct OkCancel {
    QPushButton* ok;
    QPushButton* cancel;
};
OkCancel MakeOkCancel(QDialog& dialog, std::function<void()> onOk = {});
// The same two in a row at the right edge.
QHBoxLayout* OkCancelRow(QDialog& dialog, std::function<void()> onOk = {});

// A progress window: the status text with the counter at its right, the
// bar below, and the buttons under them.
void LayOutProgressDialog(QDialog& dialog, QLabel* status, QLabel* counter, QProgressBar* bar, QLayout* buttons);

// The same with the standard icon at the left of `body`.
void LayOutMessageDialog(QDialog& dialog, QStyle::StandardPixmap icon, QLayout* body, QLayout* buttons);

}  // namespace plova::ui
