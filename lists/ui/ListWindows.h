// The list windows of the main window: opening one from the open dialog or
// for the start-up restore, and what a closing one leaves behind (its slot
// released, the later lists renumbered).
#pragma once

#include <QObject>
#include <vector>

namespace plova::ui {

class CChildFrame;
class CListDispView;
class ListHost;

class ListWindows final : public QObject {
    Q_OBJECT
public:
    explicit ListWindows(ListHost& host, QObject* parent = nullptr);

    // "ボックス": the open dialog, then a window for the new list.
    void OpenBoxes();
    // A window for list `listNumber`, whose slot is filled and whose number
    // the open-list count has reached; built and made active.
    CChildFrame* OpenWindow(int listNumber);

    // The definitions of these lists changed in their slots (their boxes took
    // new folder names): each window takes its new title and shows its boxes again.
    void DefinitionsChanged(const std::vector<int>& listNumbers);

    // Closes the windows of these lists; the others move down into the freed slots.
    void Close(const std::vector<int>& listNumbers);

    [[nodiscard]] CListDispView* ActiveView() const;
    // The open list windows' views, in list-number order.
    [[nodiscard]] std::vector<CListDispView*> Views() const;

private:
    void onClosing(CChildFrame* frame);

    ListHost& host_;
};

}  // namespace plova::ui
