// What the main window asks of a list window: its list number, its kind and
// the counts for the status bar. The list window (its child frame or the view
// inside it) implements this; the main window finds it on the MDI children.
#pragma once

#include <cstdint>

#include "lists/ListCounters.h"

class QMdiSubWindow;

namespace plova::ui {

class ListWindowStatus {
public:
    virtual ~ListWindowStatus() = default;
    // 1..4: the slot of the settings record the window shows.
    [[nodiscard]] virtual int ListNumber() const = 0;
    [[nodiscard]] virtual bool IsSystemResponseList() const = 0;
    // Box total, list total, unplayed and played counts (the folder total is the main window's).
    [[nodiscard]] virtual StatusCounts Counts() const = 0;
    // Messages in all boxes of the list's box folder, counted now.
    [[nodiscard]] virtual std::int64_t CountFolderTotal() const = 0;
    // The enable flags of its rows and selection.
    [[nodiscard]] virtual CommandFlags Flags() const { return {}; }
};

// The status of an MDI child, from the child frame or from its view; null
// for windows that are not list windows.
ListWindowStatus* ListWindowStatusOf(QMdiSubWindow* window);

}  // namespace plova::ui
