#pragma once

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QObject>

#include <chrono>

namespace pelorin {

// Follows whether a tray that shows StatusNotifierItems runs on the session
// bus: org.kde.StatusNotifierWatcher is there and says a host is registered.
// Every question is asked without blocking, and only the latest answer
// counts.
class TrayHostWatcher : public QObject {
    Q_OBJECT
public:
    explicit TrayHostWatcher(QDBusConnection bus, QObject *parent = nullptr);

    // Starts following. Without a session bus the answer is known at once:
    // no host.
    void start();
    // Whether the first answer has come.
    bool isKnown() const { return m_known; }
    bool hostPresent() const { return m_present; }

    // A watcher that takes longer than this to answer counts as having no
    // host, until it answers a later question.
    static constexpr std::chrono::milliseconds answerLimit{2000};

Q_SIGNALS:
    // The first answer came, or the host came or went.
    void changed();

private Q_SLOTS:
    void ask();

private:
    void settle(bool present);

    QDBusConnection m_bus;
    QDBusServiceWatcher m_watcher;
    quint64 m_question = 0;
    bool m_known = false;
    bool m_present = false;
};

} // namespace pelorin
