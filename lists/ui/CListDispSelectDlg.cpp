#include "lists/ui/CListDispSelectDlg.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "lists/ui/PictureButton.h"
#include "platform/Ports.h"
#include "platform/ui/DialogLayout.h"

namespace plova::ui {
namespace {

constexpr int kPictureSize = 24;
constexpr char16_t kErrorCaption[] = u"エラー";
constexpr char16_t kSetCaption[] = u"設定の確認";
constexpr char16_t kSetQuestion[] = u"設定します。よろしいですか？";
constexpr char16_t kResetCaption[] = u"リセットの確認";
constexpr char16_t kResetQuestion[] = u"リセットします。よろしいですか？";

QString q(std::u16string_view s) {
    return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
}

QString idName(int id) {
    return QStringLiteral("id%1").arg(id);
}

bool askYes(const char16_t* text, const char16_t* caption) {
    return ShowPrompt(text, caption, Icon::Question, Buttons::YesNo) == Answer::Yes;
}

// An arrow on a raised face; pressed, the face sinks and the arrow moves
// one pixel down and right. `turns` quarter turns from pointing right.
QPixmap arrowPicture(int turns, bool pressed) {
    QPixmap p(kPictureSize, kPictureSize);
    p.fill(Qt::transparent);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing, true);
    const QRectF face(0.5, 0.5, kPictureSize - 1, kPictureSize - 1);
    g.setPen(QColor(0x70, 0x70, 0x70));
    g.setBrush(pressed ? QColor(0xC8, 0xD4, 0xE8) : QColor(0xF4, 0xF4, 0xF4));
    g.drawRoundedRect(face, 3, 3);
    const qreal shift = pressed ? 1 : 0;
    g.translate(kPictureSize / 2.0 + shift, kPictureSize / 2.0 + shift);
    g.rotate(90.0 * turns);
    g.setPen(Qt::NoPen);
    g.setBrush(QColor(0x1C, 0x51, 0x80));
    g.drawPolygon(QPolygonF({{-7, -2.5}, {1, -2.5}, {1, -7}, {8, 0}, {1, 7}, {1, 2.5}, {-7, 2.5}}));
    return p;
}

QListWidget* newList(int id, QWidget* parent) {
    auto* list = new QListWidget(parent);
    list->setObjectName(idName(id));
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setFixedWidth(listdisp::kListWidth + 2 * list->frameWidth());
    return list;
}

void fillList(QListWidget* list, const std::vector<std::u16string>& names, int selected) {
    list->clear();
    for (const std::u16string& name : names) list->addItem(QString::fromStdU16String(name));
    if (selected >= 0 && selected < list->count()) list->setCurrentRow(selected);
}

}  // namespace

CListDispSelectDlg::CListDispSelectDlg(ColumnNames& columns, ColumnNames& removed, std::filesystem::path settingsFile,
                                       QWidget* parent)
    : QDialog(parent),
      columns_(columns),
      removed_(removed),
      settingsFile_(std::move(settingsFile)),
      items_(columns, removed),
      removedList_(newList(listdisp::kRemovedList, this)),
      currentList_(newList(listdisp::kCurrentList, this)),
      ok_(new QPushButton(QStringLiteral("OK"), this)) {
    setObjectName(QStringLiteral("CListDispSelectDlg"));
    setWindowTitle(q(listdisp::kCaption));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* group = new QGroupBox(q(u"表示項目"), this);
    auto* grid = new QGridLayout(group);
    grid->addWidget(new QLabel(q(u"消去項目"), group), 0, 0);
    grid->addWidget(new QLabel(q(u"現在の表示項目"), group), 0, 2);
    grid->addWidget(removedList_, 1, 0);
    grid->addWidget(currentList_, 1, 2);
    auto buttonColumn = [&](std::initializer_list<std::pair<int, int>> buttons) {
        auto* column = new QVBoxLayout;
        column->addStretch(1);
        for (auto [id, turns] : buttons) {
            auto* b = new PictureButton(arrowPicture(turns, false), arrowPicture(turns, true), group);
            b->setObjectName(idName(id));
            connect(b, &QAbstractButton::clicked, this, [this, id = id] { move(id); });
            column->addWidget(b);
        }
        column->addStretch(1);
        return column;
    };
    // Add points from the removed items to the current ones, remove back.
    grid->addLayout(buttonColumn({{listdisp::kAdd, 0}, {listdisp::kRemove, 2}}), 1, 1);
    grid->addLayout(buttonColumn({{listdisp::kUp, 3}, {listdisp::kDown, 1}}), 1, 3);

    auto* reset = new QPushButton(q(u"リセット"), this);
    reset->setObjectName(idName(listdisp::kReset));
    auto* cancel = new QPushButton(q(u"キャンセル"), this);
    ok_->setDefault(true);
    ok_->setEnabled(false);  // until something moved
    connect(reset, &QPushButton::clicked, this, &CListDispSelectDlg::Reset);
    connect(ok_, &QPushButton::clicked, this, &CListDispSelectDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CListDispSelectDlg::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    // "リセット" at the left edge, away from the two that close the dialog.
    QHBoxLayout* bottom = ButtonRow({ok_, cancel});
    bottom->insertWidget(0, reset);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    fill(-1, -1);
}

QAbstractButton* CListDispSelectDlg::Button(int id) const {
    return findChild<QAbstractButton*>(idName(id));
}

void CListDispSelectDlg::fill(int currentRow, int removedRow) {
    fillList(currentList_, items_.Current(), currentRow);
    fillList(removedList_, items_.Removed(), removedRow);
}

void CListDispSelectDlg::move(int id) {
    const int current =
        currentList_->currentItem() && currentList_->currentItem()->isSelected() ? currentList_->currentRow() : -1;
    const int removed =
        removedList_->currentItem() && removedList_->currentItem()->isSelected() ? removedList_->currentRow() : -1;
    int moved = -1;
    switch (id) {
    case listdisp::kAdd:
        moved = items_.Add(removed);
        if (moved >= 0) fill(moved, -1);
        break;
    case listdisp::kRemove:
        moved = items_.Remove(current);
        if (moved >= 0) fill(-1, moved);
        break;
    case listdisp::kUp: moved = items_.MoveUp(current); break;
    case listdisp::kDown: moved = items_.MoveDown(current); break;
    default: break;
    }
    if (moved < 0) return;
    // Up and down keep the moved item selected.
    if (id == listdisp::kUp || id == listdisp::kDown) fill(moved, removed);
    ok_->setEnabled(true);
}

void CListDispSelectDlg::save() {
    if (!SaveDisplayItems(items_, columns_, removed_, settingsFile_))
        ShowPrompt(std::u16string(dispitems::kSaveFailed), kErrorCaption, Icon::Exclamation);
}

void CListDispSelectDlg::accept() {
    if (!askYes(kSetQuestion, kSetCaption)) return;
    if (items_.Current().empty()) {
        ShowPrompt(std::u16string(dispitems::kNoItems), kErrorCaption, Icon::Exclamation);
        return;
    }
    save();
    QDialog::accept();
}

void CListDispSelectDlg::Reset() {
    if (!askYes(kResetQuestion, kResetCaption)) return;
    items_.Reset();
    fill(-1, -1);
    save();
    QDialog::accept();
}

}  // namespace plova::ui
