#include "panel_screen_reader.h"

#include <QEvent>
#include <QGuiApplication>

namespace pelorin {

PanelScreenReader::PanelScreenReader(QWidget *widget) : QObject(widget), m_widget(widget)
{
    widget->installEventFilter(this);
    if (widget->isVisible())
        attach(widget->window()->windowHandle());
}

void PanelScreenReader::detach()
{
    m_detached = true;
    if (m_widget)
        m_widget->removeEventFilter(this);
    forget();
}

void PanelScreenReader::forget()
{
    for (const QMetaObject::Connection &connection : std::as_const(m_windowConnections))
        disconnect(connection);
    m_windowConnections.clear();
    disconnect(m_screenConnection);
    m_screen = nullptr;
    m_window = nullptr;
}

bool PanelScreenReader::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_widget && !m_detached) {
        // The window handle exists by the time the widget is shown in it; a
        // widget moved to another window follows that one from its next show.
        if (event->type() == QEvent::Show)
            attach(m_widget->window()->windowHandle());
        else if (event->type() == QEvent::ParentChange && m_widget->window()->windowHandle() != m_window)
            forget();
    }
    return QObject::eventFilter(watched, event);
}

void PanelScreenReader::attach(QWindow *window)
{
    if (!window || m_detached)
        return;
    if (window != m_window) {
        forget();
        m_window = window;
        m_windowConnections << connect(window, &QWindow::screenChanged, this, [this](QScreen *screen) {
            followScreen(screen);
            report();
        });
        auto *gui = qobject_cast<QGuiApplication *>(QCoreApplication::instance());
        if (gui) {
            m_windowConnections << connect(gui, &QGuiApplication::screenAdded, this, &PanelScreenReader::report);
            m_windowConnections << connect(gui, &QGuiApplication::screenRemoved, this, &PanelScreenReader::report);
            m_windowConnections << connect(gui, &QGuiApplication::primaryScreenChanged, this,
                                           &PanelScreenReader::report);
        }
        followScreen(window->screen());
    }
    report();
}

void PanelScreenReader::followScreen(QScreen *screen)
{
    disconnect(m_screenConnection);
    m_screen = screen;
    if (screen)
        m_screenConnection = connect(screen, &QScreen::availableGeometryChanged, this, &PanelScreenReader::report);
}

void PanelScreenReader::report()
{
    if (m_detached || !m_window)
        return;
    if (QScreen *screen = m_window->screen())
        Q_EMIT heightChanged(double(screen->availableGeometry().height()));
}

} // namespace pelorin
