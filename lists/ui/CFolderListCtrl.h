// A list of folders for the folder dialogs: the lists' look, sorted by the
// first column without regard to case, widths fitted to the contents.
#pragma once

#include <QTableWidget>

namespace plova::ui {

class CFolderListCtrl final : public QTableWidget {
    Q_OBJECT
public:
    explicit CFolderListCtrl(QWidget* parent = nullptr);
    // Rows in ascending order of their first cell, letters compared without case.
    void SortByFirstColumn();
    void FitColumnWidths();
};

}  // namespace plova::ui
