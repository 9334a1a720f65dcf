#pragma once

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QTimer>

#include <chrono>

namespace pelorin {

// Follows whether a tray that shows StatusNotifierItems runs on the session
// bus: org.kde.StatusNotifierWatcher is there and says a host is registered;
// and whether the watcher lists an item of this process. Every question is
// asked without blocking and without starting a watcher, and only the
// latest answer counts.
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
    // Whether the latest question was answered within quickAnswer (or the
    // watcher was not on the bus at all). Qt asks the watcher itself,
    // blocking, when it settles its kind of icon and whenever it shows one:
    // only right after such an answer.
    bool answeredQuickly() const { return m_quick; }
    // Whether the watcher lists an item of this process.
    bool itemListed() const { return !m_item.isEmpty(); }
    // Goes up whenever the watcher changes owner or a host comes or goes.
    quint64 generation() const { return m_generation; }
    // Forgets the item and reads the watcher's items afresh (an item that
    // registers later is seen as it does).
    void lookForItem();

    // A watcher that takes longer than this to answer counts as having no
    // host, until it answers a later question.
    static constexpr std::chrono::milliseconds answerLimit{2000};
    static constexpr std::chrono::milliseconds quickAnswer{250};
    // A watcher on the bus that answered slowly or not at all is asked again
    // after retryFirst, then after twice as long each time, up to retryLast.
    static constexpr std::chrono::milliseconds retryFirst{1000};
    static constexpr std::chrono::milliseconds retryLast{60000};

Q_SIGNALS:
    // The first answer came, the host came or went, the answers became quick
    // or slow, the item was listed or dropped, or the generation changed.
    void changed();

private Q_SLOTS:
    void ask();
    void hostsChanged();
    void itemRegistered(const QString &item);
    void itemUnregistered(const QString &item);

private:
    void settle(bool present, bool quick);
    void checkOwner(const QString &item);

    QDBusConnection m_bus;
    QDBusServiceWatcher m_watcher;
    QTimer m_retry;
    std::chrono::milliseconds m_retryIn = retryFirst;
    quint64 m_question = 0;
    quint64 m_generation = 0;
    quint64 m_announced = 0; // the generation changed() last told of
    quint64 m_owners = 0;    // changes of the watcher's owner
    bool m_known = false;
    bool m_present = false;
    bool m_quick = false;
    QString m_item;
};

} // namespace pelorin
