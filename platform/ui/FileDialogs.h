// Qt's own file and folder dialogs, sized so that their columns show their
// texts: at its default size the dialog cuts the dates and the places to
// "12/10/…" and "コン…".
#pragma once

#include <QString>

class QFileDialog;
class QWidget;

namespace plova::ui {

// Sizes `dialog` (when it is Qt's own, not the desktop's) so that every
// column of its list and its places fit their texts. Call before exec().
void FitFileDialog(QFileDialog& dialog);

// A folder chosen under `start`, through the fitted dialog; empty when the
// user cancels.
QString ChooseFolder(QWidget* parent, const QString& title, const QString& start);

// The first file or folder chosen in `dialog`, in the system's own spelling
// ("C:\Users\…" on Windows, where Qt gives "C:/Users/…"): it is shown, kept in
// the settings and compared with folders the system names. Empty when none.
QString ChosenPath(const QFileDialog& dialog);

}  // namespace plova::ui
