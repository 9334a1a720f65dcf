// Helpers of the window tests: an application model over the engine's fakes
// whose login item can be held busy or made to fail, finding the shared
// windows and reading what a page shows.
#pragma once

#include "app/fake_app_model.h"
#include "app_model.h"
#include "login_item_service.h"
#include "orbel_switch.h"
#include "pelorin_preferences.h"
#include "widget_pictures.h"
#include "windows/preferences_view.h"
#include "windows/welcome_view.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLayout>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>
#include <ostream>
#include <stdexcept>

// Texts in test output as text.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace pelorin::windowstest {

using namespace Qt::StringLiterals;

using fakes::FakeLoginItem;
using pelorin::test::layOut;
using pelorin::test::render;
using pelorin::test::settle;
using WindowsModel = fakes::FakeAppModel;

// The visible top-level window showing a view of this type, if any.
template<typename View>
View *shownView()
{
    const QList<QWidget *> windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (!window->isVisible())
            continue;
        if (auto *view = window->findChild<View *>())
            return view;
    }
    return nullptr;
}

// Opens the welcome window over `model` and shows its view at `size`.
inline WelcomeView *showWelcomeAt(AppModel &model, orbel::TextSize size)
{
    showWelcome(model);
    settle();
    WelcomeView *view = shownView<WelcomeView>();
    if (view && size != orbel::TextSize::Large) {
        orbel::OrbelEnvironment environment = view->environment();
        environment.textSize = size;
        view->setEnvironment(environment);
        settle();
    }
    return view;
}

// How many top-level windows hold a view of this type, shown or not.
template<typename View>
int builtWindows()
{
    int count = 0;
    const QList<QWidget *> windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows)
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
    QWidget *window = target->window();
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, target->mapTo(window, target->rect().center()));
}

inline bool activate(QWidget *window)
{
    window->show();
    window->raise();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

// The offscreen platform warns on every show that it cannot raise windows or
// pass size hints on; that is all it has to say.
inline void quietPlatformWarnings()
{
    static bool installed = false;
    static QtMessageHandler previous = nullptr;
    if (installed)
        return;
    installed = true;
    previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &context, const QString &message) {
        if (message.startsWith(QLatin1String("This plugin does not support")))
            return;
        if (previous)
            previous(type, context, message);
        else
            std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
    });
}

} // namespace pelorin::windowstest
