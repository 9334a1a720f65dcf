// Helpers of the window tests: the application model over the engine's fakes,
// finding the shared windows, and reaching them as a user does.
#pragma once

#include "app/fake_app_model.h"
#include "windows/preferences_view.h"
#include "windows/welcome_view.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <ostream>

// Texts in test output as text.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace pelorin::windowstest {

using namespace Qt::StringLiterals;

using pelorin::test::settle;
using WindowsModel = fakes::FakeAppModel;

// The visible top-level window showing a view of this type, if any.
template<typename View>
View *shownView()
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (auto *view = window->findChild<View *>(); view && window->isVisible())
            return view;
    }
    return nullptr;
}

// How many top-level windows hold a view of this type, shown or not.
template<typename View>
int builtWindows()
{
    int count = 0;
    for (QWidget *window : QApplication::topLevelWidgets())
        count += window->findChild<View *>() != nullptr;
    return count;
}

inline QRect geometryIn(const QWidget *widget, const QWidget *ancestor)
{
    return QRect(widget->mapTo(ancestor, QPoint(0, 0)), widget->size());
}

// A mouse click in the middle of `target`, delivered through its window as
// the pointer would.
inline void click(QWidget *target)
{
    ASSERT_NE(target, nullptr);
    QWidget *window = target->window();
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, geometryIn(target, window).center());
}

inline bool activate(QWidget *window)
{
    window->show();
    window->raise();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

} // namespace pelorin::windowstest
