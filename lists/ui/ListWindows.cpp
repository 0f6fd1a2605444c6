#include "lists/ui/ListWindows.h"

#include <QMdiArea>
#include <algorithm>

#include "lists/ui/CBoxOpenDlg.h"
#include "lists/ui/CChildFrame.h"
#include "lists/ui/CListDispView.h"
#include "lists/ui/ListHost.h"

namespace plova::ui {
namespace {

constexpr int kNewWindowInset = 10;
constexpr int kNewWindowHeight = 500;

}  // namespace

ListWindows::ListWindows(ListHost& host, QObject* parent) : QObject(parent), host_(host) {}

void ListWindows::OpenBoxes() {
    const std::u16string display = host_.FolderDisplayText();
    if (display.size() <= 1) return;
    CBoxOpenDlg dialog(host_.Slots(), display, host_.DialogParent());
    if (!dialog.Fill()) return;
    if (host_.RunListDialog(dialog) != QDialog::Accepted) return;

    ListSlotTable table = host_.Slots();
    const int number = table.OpenCount() + 1;
    std::u16string boxes = u" " + table.disp[static_cast<std::size_t>(number - 1)];
    std::replace(boxes.begin(), boxes.end(), u'?', u',');
    host_.SetBoxDisplayText(boxes);
    // The count goes up first: the new window takes it as its list number.
    table.num = number;
    host_.SetMaximisedChildren(true);
    OpenWindow(number);
    host_.RefreshStatusBar(true);
}

CChildFrame* ListWindows::OpenWindow(int listNumber) {
    const ListSlotTable table = host_.Slots();
    auto* frame = new CChildFrame(host_, listNumber, QString::fromStdU16String(table.Definition(listNumber)));
    connect(frame, &CChildFrame::Closing, this, &ListWindows::onClosing);
    QMdiArea* area = host_.ListArea();
    area->addSubWindow(frame);
    if (table.OpenCount() > 1) {
        const QRect c = area->viewport()->rect();
        frame->setGeometry(QRect(QPoint(c.left() + kNewWindowInset, c.top() + kNewWindowInset),
                                 QPoint(c.right() - kNewWindowInset, c.top() + kNewWindowHeight)));
    }
    if (host_.MaximisedChildren())
        frame->showMaximized();
    else
        frame->show();
    area->setActiveSubWindow(frame);
    frame->View()->FirstDisplay();
    return frame;
}

void ListWindows::DefinitionsChanged(const std::vector<int>& listNumbers) {
    const ListSlotTable table = host_.Slots();
    for (QMdiSubWindow* w : host_.ListArea()->subWindowList()) {
        CChildFrame* frame = ChildFrameOf(w);
        if (!frame) continue;
        const int number = frame->View()->ListNumber();
        if (std::find(listNumbers.begin(), listNumbers.end(), number) == listNumbers.end()) continue;
        frame->setWindowTitle(QString::fromStdU16String(table.Definition(number)));
        frame->View()->Refresh(true);
    }
}

void ListWindows::Close(const std::vector<int>& listNumbers) {
    // The windows first: each close renumbers the lists after it.
    std::vector<CChildFrame*> closing;
    for (QMdiSubWindow* w : host_.ListArea()->subWindowList())
        if (CChildFrame* frame = ChildFrameOf(w); frame && std::find(listNumbers.begin(), listNumbers.end(),
                                                                     frame->View()->ListNumber()) != listNumbers.end())
            closing.push_back(frame);
    for (CChildFrame* frame : closing) frame->close();
}

CListDispView* ListWindows::ActiveView() const {
    CChildFrame* frame = ChildFrameOf(host_.ListArea()->currentSubWindow());
    return frame ? frame->View() : nullptr;
}

std::vector<CListDispView*> ListWindows::Views() const {
    std::vector<CListDispView*> views;
    for (QMdiSubWindow* w : host_.ListArea()->subWindowList())
        if (CChildFrame* frame = ChildFrameOf(w)) views.push_back(frame->View());
    std::sort(views.begin(), views.end(),
              [](const CListDispView* a, const CListDispView* b) { return a->ListNumber() < b->ListNumber(); });
    return views;
}

void ListWindows::onClosing(CChildFrame* frame) {
    const int closed = frame->View()->ListNumber();
    ListSlotTable table = host_.Slots();
    ReleaseSlot(table, closed);
    // The later lists moved down a slot; their titles stay.
    for (CListDispView* view : Views())
        if (view != frame->View() && view->ListNumber() > closed) view->SetListNumber(view->ListNumber() - 1);
    if (table.OpenCount() == 0) {
        host_.SetBoxDisplayText({});
        host_.AllListsClosed();
    }
    host_.RefreshStatusBar(false);
}

}  // namespace plova::ui
