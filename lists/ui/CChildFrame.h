// A list window: the MDI child that holds one CListDispView, titled with
// its list definition.
#pragma once

#include <QMdiSubWindow>

namespace plova::ui {

class CListDispView;
class ListHost;

class CChildFrame final : public QMdiSubWindow {
    Q_OBJECT
public:
    CChildFrame(ListHost& host, int listNumber, const QString& title);
    [[nodiscard]] CListDispView* View() const { return view_; }

signals:
    // The window is about to go; its view still has its list number.
    void Closing(CChildFrame* frame);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    CListDispView* view_;
};

// The list window an MDI child is, or null.
CChildFrame* ChildFrameOf(QMdiSubWindow* window);

}  // namespace plova::ui
