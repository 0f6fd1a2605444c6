#include "lists/ui/ListWindowStatus.h"

#include <QMdiSubWindow>

namespace plova::ui {

ListWindowStatus* ListWindowStatusOf(QMdiSubWindow* window) {
    if (!window) return nullptr;
    if (auto* s = dynamic_cast<ListWindowStatus*>(window)) return s;
    return dynamic_cast<ListWindowStatus*>(window->widget());
}

}  // namespace plova::ui
