#pragma once

#include <QList>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace pelorin {

// Tells how tall the usable area is on the screen that shows a widget's
// window: once the widget is shown in a window, again whenever that window
// moves to another screen, and whenever the screens change (one added or
// removed, the primary one switched, the usable area of the window's screen
// resized). Every report is sent, even when the height did not change.
class PanelScreenReader : public QObject {
    Q_OBJECT

public:
    // Watches `widget`, which also owns the reader.
    explicit PanelScreenReader(QWidget *widget);

    // Stops watching for good: no further reports.
    void detach();
    QWindow *window() const { return m_window; }

    // Reports the height now, when the window has a screen.
    void report();

Q_SIGNALS:
    void heightChanged(double height);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void attach(QWindow *window);
    void followScreen(QScreen *screen);
    void forget();

    QPointer<QWidget> m_widget;
    QPointer<QWindow> m_window;
    QPointer<QScreen> m_screen;
    QList<QMetaObject::Connection> m_windowConnections;
    QMetaObject::Connection m_screenConnection;
    bool m_detached = false;
};

} // namespace pelorin
