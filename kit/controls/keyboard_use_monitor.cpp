#include "keyboard_use_monitor.h"

#include <QCoreApplication>
#include <QEvent>

#include <utility>

namespace orbel {

KeyboardUseMonitor::KeyboardUseMonitor(QObject *parent) : QObject(parent)
{
}

KeyboardUseMonitor::~KeyboardUseMonitor()
{
    stop();
}

void KeyboardUseMonitor::start(std::function<void()> handler)
{
    if (m_running || !QCoreApplication::instance())
        return;
    m_handler = std::move(handler);
    QCoreApplication::instance()->installEventFilter(this);
    m_running = true;
}

void KeyboardUseMonitor::stop()
{
    if (!m_running)
        return;
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
    m_handler = nullptr;
    m_running = false;
}

bool KeyboardUseMonitor::eventFilter(QObject *, QEvent *event)
{
    // A key that triggers a shortcut is announced as a shortcut override and
    // may never arrive as a key press, so both count.
    if ((event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) && m_handler)
        m_handler();
    return false;
}

} // namespace orbel
