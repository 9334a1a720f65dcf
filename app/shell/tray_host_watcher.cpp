#include "tray_host_watcher.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QElapsedTimer>

#include <algorithm>

namespace pelorin {

using namespace Qt::StringLiterals;

namespace {

const QString watcherService = u"org.kde.StatusNotifierWatcher"_s;
const QString watcherPath = u"/StatusNotifierWatcher"_s;

// Asking never starts a watcher: one that does not run is not there.
QDBusMessage watcherProperty(const QString &name)
{
    QDBusMessage get =
        QDBusMessage::createMethodCall(watcherService, watcherPath, u"org.freedesktop.DBus.Properties"_s, u"Get"_s);
    get << watcherService << name;
    get.setAutoStartService(false);
    return get;
}

} // namespace

TrayHostWatcher::TrayHostWatcher(QDBusConnection bus, QObject *parent) : QObject(parent), m_bus(std::move(bus))
{
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &TrayHostWatcher::ask);
}

void TrayHostWatcher::start()
{
    if (!m_bus.isConnected()) {
        settle(false, true);
        return;
    }
    m_watcher.setConnection(m_bus);
    m_watcher.setWatchMode(QDBusServiceWatcher::WatchForOwnerChange);
    m_watcher.addWatchedService(watcherService);
    connect(&m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString &, const QString &, const QString &newOwner) {
                ++m_generation;
                ++m_owners;
                // A new watcher knows no items.
                m_item.clear();
                if (newOwner.isEmpty()) {
                    // Gone: an answer still on its way is from before.
                    ++m_question;
                    m_retry.stop();
                    m_retryIn = retryFirst;
                    settle(false, true);
                } else {
                    ask();
                }
            });
    // A host that registers or leaves while the watcher stays, and the items
    // as they come and go. (From any sender: naming the service would have
    // Qt look its owner up, blocking.)
    for (const QString &signal : {u"StatusNotifierHostRegistered"_s, u"StatusNotifierHostUnregistered"_s})
        m_bus.connect(QString(), watcherPath, watcherService, signal, this, SLOT(hostsChanged()));
    m_bus.connect(QString(), watcherPath, watcherService, u"StatusNotifierItemRegistered"_s, this,
                  SLOT(itemRegistered(QString)));
    m_bus.connect(QString(), watcherPath, watcherService, u"StatusNotifierItemUnregistered"_s, this,
                  SLOT(itemUnregistered(QString)));
    ask();
}

void TrayHostWatcher::hostsChanged()
{
    ++m_generation;
    ask();
}

void TrayHostWatcher::ask()
{
    m_retry.stop();
    const quint64 question = ++m_question;
    QElapsedTimer asked;
    asked.start();
    auto *call = new QDBusPendingCallWatcher(
        m_bus.asyncCall(watcherProperty(u"IsStatusNotifierHostRegistered"_s), static_cast<int>(answerLimit.count())),
        this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this, call, question, asked] {
        call->deleteLater();
        if (question != m_question)
            return;
        const QDBusMessage reply = call->reply();
        // A watcher that is not on the bus has nothing to wait for: it is
        // seen as it takes its name.
        const bool absent = reply.errorName() == QDBusError::errorString(QDBusError::ServiceUnknown) ||
                            reply.errorName() == "org.freedesktop.DBus.Error.NameHasNoOwner"_L1;
        const bool quick = absent || asked.elapsed() < quickAnswer.count();
        // One that is there but slow, or did not answer in time, is asked
        // again, less and less often.
        if (quick) {
            m_retryIn = retryFirst;
        } else {
            m_retry.start(m_retryIn);
            m_retryIn = std::min(m_retryIn * 2, retryLast);
        }
        settle(reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
                   reply.arguments().constFirst().value<QDBusVariant>().variant().toBool(),
               quick);
    });
}

void TrayHostWatcher::settle(bool present, bool quick)
{
    if (m_known && present == m_present && quick == m_quick && m_announced == m_generation)
        return;
    m_known = true;
    m_present = present;
    m_quick = quick;
    m_announced = m_generation;
    Q_EMIT changed();
}

void TrayHostWatcher::lookForItem()
{
    m_item.clear();
    if (!m_bus.isConnected())
        return;
    const quint64 owners = m_owners;
    auto *call = new QDBusPendingCallWatcher(
        m_bus.asyncCall(watcherProperty(u"RegisteredStatusNotifierItems"_s), static_cast<int>(answerLimit.count())),
        this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this, call, owners] {
        call->deleteLater();
        const QDBusMessage reply = call->reply();
        if (owners != m_owners || reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return;
        for (const QString &item : reply.arguments().constFirst().value<QDBusVariant>().variant().toStringList())
            checkOwner(item);
    });
}

void TrayHostWatcher::itemRegistered(const QString &item)
{
    checkOwner(item);
}

void TrayHostWatcher::itemUnregistered(const QString &item)
{
    if (item != m_item)
        return;
    m_item.clear();
    Q_EMIT changed();
}

// Whether an item is this process's: the process that owns its bus name
// (an item is named by its bus name, or by that and its object path).
void TrayHostWatcher::checkOwner(const QString &item)
{
    QDBusMessage owner = QDBusMessage::createMethodCall(u"org.freedesktop.DBus"_s, u"/org/freedesktop/DBus"_s,
                                                        u"org.freedesktop.DBus"_s, u"GetConnectionUnixProcessID"_s);
    owner << item.section(u'/', 0, 0);
    const quint64 owners = m_owners;
    auto *call = new QDBusPendingCallWatcher(m_bus.asyncCall(owner, static_cast<int>(answerLimit.count())), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this, call, owners, item] {
        call->deleteLater();
        const QDBusMessage reply = call->reply();
        if (owners != m_owners || item == m_item || reply.type() != QDBusMessage::ReplyMessage ||
            reply.arguments().isEmpty() ||
            reply.arguments().constFirst().toLongLong() != QCoreApplication::applicationPid())
            return;
        m_item = item;
        Q_EMIT changed();
    });
}

} // namespace pelorin
