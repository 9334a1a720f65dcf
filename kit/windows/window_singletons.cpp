#include "window_singletons.h"

#include <QCoreApplication>
#include <QPointer>
#include <QVBoxLayout>
#include <QWidget>

namespace orbel {

namespace {

constexpr qreal standardWidth = 560;
constexpr qreal wideWidth = 768;

struct SharedWindows {
    FixedWindow *preferences = nullptr;
    FixedWindow *welcomeSteps = nullptr;
    QPointer<QWidget> welcome;
    bool cleanupRegistered = false;
};

SharedWindows &shared()
{
    static SharedWindows windows;
    return windows;
}

// Windows must go while the application still exists, not with the statics
// after it; the application runs this before it tears its widgets down.
void releaseSharedWindows()
{
    SharedWindows &windows = shared();
    delete windows.preferences;
    windows.preferences = nullptr;
    delete windows.welcomeSteps;
    windows.welcomeSteps = nullptr;
    delete windows.welcome.data();
    windows.cleanupRegistered = false;
}

void registerCleanup()
{
    SharedWindows &windows = shared();
    if (windows.cleanupRegistered)
        return;
    windows.cleanupRegistered = true;
    qAddPostRoutine(releaseSharedWindows);
}

FixedWindow &preferences()
{
    FixedWindow *&instance = shared().preferences;
    if (!instance) {
        instance = new FixedWindow({.closesWithCommandW = true, .anchorsTop = true, .scrollsContent = true});
        registerCleanup();
    }
    return *instance;
}

FixedWindow &welcomeSteps()
{
    FixedWindow *&instance = shared().welcomeSteps;
    if (!instance) {
        instance = new FixedWindow({.closesWithCommandW = true, .anchorsTop = true, .scrollsContent = false});
        registerCleanup();
    }
    return *instance;
}

void closeIfBuilt(const FixedWindow *host)
{
    if (host && host->window())
        host->window()->close();
}

} // namespace

namespace PreferencesWindow {

void show(const QString &title, bool wide, FixedWindow::Action onClose, const FixedWindow::Content &content)
{
    preferences().show(title, std::move(onClose), wide ? wideWidth : standardWidth, content);
}

QWidget *window(const QString &title, bool wide, FixedWindow::Action onClose, const FixedWindow::Content &content)
{
    return preferences().window(title, std::move(onClose), wide ? wideWidth : standardWidth, content);
}

void close()
{
    closeIfBuilt(shared().preferences);
}

} // namespace PreferencesWindow

namespace WelcomeStepsWindow {

void show(const QString &title, FixedWindow::Action onClose, const FixedWindow::Content &content)
{
    welcomeSteps().show(title, std::move(onClose), standardWidth, content);
}

QWidget *window(const QString &title, FixedWindow::Action onClose, const FixedWindow::Content &content)
{
    return welcomeSteps().window(title, std::move(onClose), standardWidth, content);
}

void close()
{
    closeIfBuilt(shared().welcomeSteps);
}

} // namespace WelcomeStepsWindow

namespace WelcomeWindow {

void show(const QString &title, const FixedWindow::Content &content)
{
    QPointer<QWidget> &window = shared().welcome;
    if (!window) {
        window = new QWidget(nullptr,
                             Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
        window->setAttribute(Qt::WA_QuitOnClose, false);
        window->setWindowTitle(title);
        auto *layout = new QVBoxLayout(window);
        layout->setContentsMargins(0, 0, 0, 0);
        // The window takes the content's size and the user cannot change it.
        layout->setSizeConstraint(QLayout::SetFixedSize);
        std::unique_ptr<QWidget> built = content ? content() : nullptr;
        if (built)
            layout->addWidget(built.release());
        window->winId();
        registerCleanup();
    }
    if (!window->isVisible()) {
        // Opening, no control has the keyboard focus (see FixedWindow::show).
        window->setFocus(Qt::ActiveWindowFocusReason);
        centerOnActiveScreen(window);
    }
    bringForward(window);
}

void close()
{
    if (QWidget *window = shared().welcome)
        window->close();
}

} // namespace WelcomeWindow

} // namespace orbel
