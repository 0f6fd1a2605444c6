// A box list whose name column is edited in place, for the box-name dialogs:
// columns such as "選択", "BOX番号" or "BOXフォルダ名", and "BOX名称". A click
// on the name cell starts the edit, unless the row is not chosen ("0" under
// "選択"); the edit box sits over that cell and takes at most the owner's
// maximum length; ending the edit writes the text into the cell.
#pragma once

#include <QStandardItemModel>

#include "lists/ui/CDataListCtrl.h"

namespace plova::ui {

namespace editlist {
constexpr char16_t kTickHeader[] = u"選択";
constexpr char16_t kNumberHeader[] = u"BOX番号";
constexpr char16_t kFolderHeader[] = u"BOXフォルダ名";
constexpr char16_t kNameHeader[] = u"BOX名称";
constexpr char16_t kCut[] = u"...";
}  // namespace editlist

class CEditListCtrl final : public CDataListCtrl {
    Q_OBJECT
public:
    explicit CEditListCtrl(QWidget* parent = nullptr);

    void SetColumns(const QStringList& headers);
    void AddRow(const QStringList& cells);
    [[nodiscard]] QString Text(int row, int column) const;
    void SetMaxLength(int length) { maxLength_ = length; }
    [[nodiscard]] int MaxLength() const { return maxLength_; }
    // The name column (else a "BOXフォルダ名" column after the first), or -1.
    [[nodiscard]] int NameColumn() const;
    // Starts the in-place edit of `row`'s name; false when the row is not chosen.
    bool BeginEdit(int row);
    [[nodiscard]] bool Editing() const { return editing_ >= 0; }

    // `text` cut from the end until it and "..." fit in `width`.
    static QString Shortened(const QString& text, const QFontMetrics& font, int width);

signals:
    void EditEnded(int row, const QString& text);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    QStandardItemModel model_;
    int maxLength_ = 0;
    int editing_ = -1;
};

}  // namespace plova::ui
