#pragma once

#include "brand_focus_ring.h"
#include "keyboard_use_monitor.h"

#include <QObject>
#include <QPointer>

class QWidget;

namespace orbel {

// Keeps the focus session of the window that shows `view`: each time the
// window becomes active the session starts over with no key pressed, and the
// first key press while it is active marks the keyboard as used. A screen
// hands `keyboardUsed` down to its controls' environment.
class KeyboardUseTracker : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool keyboardUsed READ keyboardUsed NOTIFY keyboardUsedChanged)

public:
    explicit KeyboardUseTracker(QWidget *view);

    bool keyboardUsed() const { return m_session.keyboardUsed; }
    const BrandFocusSession &session() const { return m_session; }

Q_SIGNALS:
    void keyboardUsedChanged(bool keyboardUsed);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setKeyboardUsed(bool used);
    void startMonitor();

    QPointer<QWidget> m_view;
    BrandFocusSession m_session;
    KeyboardUseMonitor m_monitor;
};

} // namespace orbel
