#include "keyboard_use_tracker.h"

#include <QEvent>
#include <QWidget>

namespace orbel {

KeyboardUseTracker::KeyboardUseTracker(QWidget *view) : QObject(view), m_view(view)
{
    view->installEventFilter(this);
    if (view->isVisible() && view->isActiveWindow())
        startMonitor();
}

void KeyboardUseTracker::setKeyboardUsed(bool used)
{
    if (m_session.keyboardUsed == used)
        return;
    m_session.keyboardUsed = used;
    Q_EMIT keyboardUsedChanged(used);
}

void KeyboardUseTracker::startMonitor()
{
    m_monitor.start([this] { setKeyboardUsed(true); });
}

bool KeyboardUseTracker::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_view)
        return false;
    switch (event->type()) {
    case QEvent::Show:
        // Appearing in an active window starts watching, without a reset.
        if (m_view->isActiveWindow())
            startMonitor();
        break;
    case QEvent::WindowActivate:
        setKeyboardUsed(false);
        startMonitor();
        break;
    case QEvent::WindowDeactivate:
    case QEvent::Hide:
        // The value stays until the next activation.
        m_monitor.stop();
        break;
    default:
        break;
    }
    return false;
}

} // namespace orbel
