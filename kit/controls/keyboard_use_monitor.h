#pragma once

#include <QObject>

#include <functional>

namespace orbel {

// Watches the application's key presses without touching them: while
// installed, every key press runs the handler and then goes on to its widget
// unchanged.
class KeyboardUseMonitor : public QObject {
    Q_OBJECT

public:
    explicit KeyboardUseMonitor(QObject *parent = nullptr);
    ~KeyboardUseMonitor() override;

    // Installs the monitor; while one is installed this does nothing, and the
    // first handler stays.
    void start(std::function<void()> handler);
    void stop();
    bool isRunning() const { return m_running; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<void()> m_handler;
    bool m_running = false;
};

} // namespace orbel
