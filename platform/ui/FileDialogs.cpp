#include "platform/ui/FileDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QListView>
#include <QTreeView>
#include <algorithm>

namespace plova::ui {
namespace {
// Room for a date and time in the widest form the locale writes, a size and
// a type, beside a name of about forty characters.
constexpr int kMinimumWidthInChars = 96;
constexpr int kMinimumHeightInLines = 26;
}  // namespace

void FitFileDialog(QFileDialog& dialog) {
    // The desktop's own dialog (Windows) sizes itself; Qt's has a list view.
    if (dialog.findChild<QTreeView*>(QStringLiteral("treeView")) == nullptr) return;
    const QFontMetrics metrics(dialog.font());
    const int width = metrics.averageCharWidth() * kMinimumWidthInChars;
    const int height = metrics.height() * kMinimumHeightInLines;
    dialog.resize(std::max(dialog.width(), width), std::max(dialog.height(), height));
    if (auto* list = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
        // The name takes what is left; the others as wide as what they show.
        QHeaderView* header = list->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
        for (int column = 1; column < header->count(); ++column)
            header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    }
    if (auto* places = dialog.findChild<QListView*>(QStringLiteral("sidebar"))) {
        places->setMinimumWidth(places->sizeHintForColumn(0) + 2 * places->frameWidth() +
                                metrics.averageCharWidth() * 2);
    }
}

QString ChooseFolder(QWidget* parent, const QString& title, const QString& start) {
    QFileDialog dialog(parent, title, start);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    FitFileDialog(dialog);
    return dialog.exec() == QDialog::Accepted ? ChosenPath(dialog) : QString();
}

QString ChosenPath(const QFileDialog& dialog) {
    return QDir::toNativeSeparators(dialog.selectedFiles().value(0));
}

}  // namespace plova::ui
