#include "lists/ui/CChildFrame.h"

#include <QCloseEvent>

#include "lists/ui/CListDispView.h"
#include "lists/ui/ListPictures.h"

namespace plova::ui {

CChildFrame::CChildFrame(ListHost& host, int listNumber, const QString& title)
    : view_(new CListDispView(host, listNumber)) {
    setObjectName(QStringLiteral("CChildFrame"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(title);
    setWindowIcon(ListWindowIcon());
    setWidget(view_);
}

void CChildFrame::closeEvent(QCloseEvent* event) {
    QMdiSubWindow::closeEvent(event);
    if (event->isAccepted()) emit Closing(this);
}

CChildFrame* ChildFrameOf(QMdiSubWindow* window) {
    return qobject_cast<CChildFrame*>(window);
}

}  // namespace plova::ui
