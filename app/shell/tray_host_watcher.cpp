#include "tray_host_watcher.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>

namespace pelorin {

using namespace Qt::StringLiterals;

namespace {
const QString watcherService = u"org.kde.StatusNotifierWatcher"_s;
const QString watcherPath = u"/StatusNotifierWatcher"_s;
} // namespace

TrayHostWatcher::TrayHostWatcher(QDBusConnection bus, QObject *parent) : QObject(parent), m_bus(std::move(bus))
{
}

void TrayHostWatcher::start()
{
    if (!m_bus.isConnected()) {
        settle(false);
        return;
    }
    m_watcher.setConnection(m_bus);
    m_watcher.setWatchMode(QDBusServiceWatcher::WatchForOwnerChange);
    m_watcher.addWatchedService(watcherService);
    connect(&m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString &, const QString &, const QString &newOwner) {
                if (newOwner.isEmpty()) {
                    // Gone: an answer still on its way is from before.
                    ++m_question;
                    settle(false);
                } else {
                    ask();
                }
            });
    // A host that registers or leaves while the watcher stays. (From any
    // sender: naming the service would have Qt look its owner up, blocking.)
    for (const QString &signal : {u"StatusNotifierHostRegistered"_s, u"StatusNotifierHostUnregistered"_s})
        m_bus.connect(QString(), watcherPath, watcherService, signal, this, SLOT(ask()));
    ask();
}

void TrayHostWatcher::ask()
{
    const quint64 question = ++m_question;
    QDBusMessage get =
        QDBusMessage::createMethodCall(watcherService, watcherPath, u"org.freedesktop.DBus.Properties"_s, u"Get"_s);
    get << watcherService << u"IsStatusNotifierHostRegistered"_s;
    auto *call = new QDBusPendingCallWatcher(m_bus.asyncCall(get, static_cast<int>(answerLimit.count())), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this, call, question] {
        call->deleteLater();
        if (question != m_question)
            return;
        const QDBusMessage reply = call->reply();
        settle(reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
               reply.arguments().constFirst().value<QDBusVariant>().variant().toBool());
    });
}

void TrayHostWatcher::settle(bool present)
{
    if (m_known && present == m_present)
        return;
    m_known = true;
    m_present = present;
    Q_EMIT changed();
}

} // namespace pelorin
