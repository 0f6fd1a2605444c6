// Typing into a cell of an in-place editing list, as a person does.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLineEdit>
#include <QTest>

#include "lists/ui/CEditListCtrl.h"

namespace plova::ui::testkit_ui {

// A click on the name cell of `row`, the text, Enter.
inline void TypeInto(CEditListCtrl& list, int row, const QString& text) {
    // The editor only opens in a list on the screen.
    list.window()->show();
    ASSERT_TRUE(list.BeginEdit(row));
    QLineEdit* edit = nullptr;
    for (QLineEdit* e : list.viewport()->findChildren<QLineEdit*>())
        if (e->isVisible()) edit = e;
    ASSERT_NE(edit, nullptr);
    edit->setText(text);
    QTest::keyClick(edit, Qt::Key_Return);
    QCoreApplication::processEvents();
    // The closed editor goes, so the next edit finds its own.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace plova::ui::testkit_ui
