// pelorin_test_services ADDRESS [NAME...]
//
// Stand-ins for the desktop services that grant power locks (gnome-session,
// the power manager, the screen saver, logind), for the desktop portal's
// settings, for timedated's word of a new time zone and for a tray's
// StatusNotifierWatcher, on the bus at ADDRESS. Owns org.pelorin.Test, whose
// control object at /control shows the locks to the tests and takes their
// orders, and each NAME given; prints "ready" and serves until killed.

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusServiceWatcher>
#include <QDBusUnixFileDescriptor>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QHash>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <list>
#include <memory>
#include <optional>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QString gnomeSession = u"org.gnome.SessionManager"_s;
const QString powerManagement = u"org.freedesktop.PowerManagement"_s;
const QString screenSaver = u"org.freedesktop.ScreenSaver"_s;
const QString logind = u"org.freedesktop.login1"_s;
const QString portal = u"org.freedesktop.portal.Desktop"_s;
const QString portalPath = u"/org/freedesktop/portal/desktop"_s;
const QString timedate = u"org.freedesktop.timedate1"_s;
const QString trayWatcher = u"org.kde.StatusNotifierWatcher"_s;
const QString trayWatcherPath = u"/StatusNotifierWatcher"_s;
const QString properties = u"org.freedesktop.DBus.Properties"_s;

// Which stand-in an interface belongs to.
QString serviceOf(const QString &interface)
{
    static const QHash<QString, QString> services{{u"org.gnome.SessionManager"_s, gnomeSession},
                                                  {u"org.freedesktop.PowerManagement.Inhibit"_s, powerManagement},
                                                  {u"org.freedesktop.ScreenSaver"_s, screenSaver},
                                                  {u"org.freedesktop.login1.Manager"_s, logind},
                                                  {u"org.freedesktop.portal.Settings"_s, portal},
                                                  {trayWatcher, trayWatcher}};
    return services.value(interface);
}

// The names a stand-in may own.
const QStringList &knownNames()
{
    static const QStringList names{gnomeSession, powerManagement, screenSaver, logind, portal, timedate, trayWatcher};
    return names;
}

struct HeldLock {
    // "service", "holder", "who", "reason", "flags", "what", "mode", as the
    // control object lists it.
    QVariantMap info;
    uint cookie = 0;
    std::unique_ptr<QSocketNotifier> pipe; // logind's: the read end of the lock
    bool granted = false;                  // its reply has gone out
};

// Every stand-in at each of its paths, with the locks it holds, and the
// control object that the tests see and steer (TestServicesClient is the
// other end).
class StandIns : public QDBusVirtualObject {
public:
    explicit StandIns(QDBusConnection bus) : m_bus(std::move(bus))
    {
        m_watcher.setConnection(m_bus);
        m_watcher.setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
        connect(&m_watcher, &QDBusServiceWatcher::serviceUnregistered, this, &StandIns::holderLeft);
    }

    QDBusConnection bus() const { return m_bus; }

    // Only the tray watcher is asked what it offers (a client that reads its
    // properties through QDBusInterface needs to know them).
    QString introspect(const QString &path) const override
    {
        if (path != trayWatcherPath)
            return {};
        return uR"(<interface name="org.kde.StatusNotifierWatcher">
<method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
<method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
<property name="RegisteredStatusNotifierItems" type="as" access="read"/>
<property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
<property name="ProtocolVersion" type="i" access="read"/>
<signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
<signal name="StatusNotifierItemUnregistered"><arg type="s"/></signal>
<signal name="StatusNotifierHostRegistered"/>
</interface>
)"_s;
    }

    bool handleMessage(const QDBusMessage &call, const QDBusConnection &) override
    {
        const QVariantList a = call.arguments();
        const QString member = call.member();
        if (call.interface() == u"org.pelorin.Test.Control"_s)
            return control(call, member, a);
        if (call.interface() == properties && call.path() == trayWatcherPath)
            return watcherProperties(call, member, a);
        const QString service = serviceOf(call.interface());
        if (service.isEmpty() || !answers(call, service))
            return !service.isEmpty();
        if (member == u"Inhibit"_s && service == logind) {
            takeDescriptorLock(call, {{u"service"_s, service},
                                      {u"what"_s, a.value(0)},
                                      {u"who"_s, a.value(1)},
                                      {u"reason"_s, a.value(2)},
                                      {u"mode"_s, a.value(3)}});
        } else if (member == u"Inhibit"_s && service == gnomeSession) {
            // (app id, toplevel window, reason, flags)
            takeCookieLock(
                call,
                {{u"service"_s, service}, {u"who"_s, a.value(0)}, {u"reason"_s, a.value(2)}, {u"flags"_s, a.value(3)}});
        } else if (member == u"Inhibit"_s) {
            // The power manager's and the screen saver's: (application, reason).
            takeCookieLock(call, {{u"service"_s, service}, {u"who"_s, a.value(0)}, {u"reason"_s, a.value(1)}});
        } else if (member == u"Uninhibit"_s || member == u"UnInhibit"_s) {
            releaseCookieLock(call, service, a.value(0).toUInt());
        } else if (member == u"RegisterStatusNotifierItem"_s && service == trayWatcher) {
            registerItem(call, a.value(0).toString());
        } else if (member == u"RegisterStatusNotifierHost"_s && service == trayWatcher) {
            answer(call, {});
        } else if (member == u"Read"_s && service == portal) {
            // The value wrapped in one variant more than declared, as the
            // real portal answers.
            const QVariantMap group = m_settings.value(a.value(0).toString());
            if (!group.contains(a.value(1).toString()))
                fail(call, u"org.freedesktop.portal.Error.NotFound"_s);
            else
                answer(call, QVariant::fromValue(
                                 QDBusVariant(QVariant::fromValue(QDBusVariant(group.value(a.value(1).toString()))))));
        } else {
            return false;
        }
        return true;
    }

    // Applies the behaviour set for this service and method (see
    // TestServicesClient::setBehaviour): false when the call is dealt with.
    bool answers(const QDBusMessage &call, const QString &service)
    {
        const QString behaviour = m_behaviours.value(service + u'/' + call.member(), u"reply"_s);
        if (behaviour == "reply"_L1)
            return true;
        if (behaviour.startsWith("slow:"_L1)) {
            // Blocks the whole service, as a busy one would.
            QThread::msleep(behaviour.sliced(5).toULong());
            return true;
        }
        if (behaviour.startsWith("late:"_L1)) {
            // Handled now, answered later by answer().
            call.setDelayedReply(true);
            m_lateBy = static_cast<int>(behaviour.sliced(5).toUInt());
            return true;
        }
        if (behaviour == "deny"_L1)
            fail(call, QDBusError::errorString(QDBusError::AccessDenied));
        else if (behaviour == "fail"_L1)
            fail(call, QDBusError::errorString(QDBusError::Failed));
        else if (behaviour == "malformed"_L1)
            answer(call, u"malformed"_s);
        else
            call.setDelayedReply(true); // "hang": the caller runs into its time-out
        return false;
    }

    // Now, or as late as the behaviour says; a lock counts as taken once
    // its reply has gone out.
    void answer(const QDBusMessage &call, const QVariant &value, std::optional<uint> grants = std::nullopt)
    {
        call.setDelayedReply(true);
        const QDBusMessage reply = value.isValid() ? call.createReply(value) : call.createReply();
        const auto send = [this, reply, grants] {
            m_bus.send(reply);
            const auto lock = std::ranges::find_if(m_locks, [&](const HeldLock &l) { return l.cookie == grants; });
            if (lock != m_locks.end()) {
                lock->granted = true;
                record(u"taken"_s, *lock);
            }
        };
        if (const int lateBy = std::exchange(m_lateBy, -1); lateBy >= 0)
            QTimer::singleShot(lateBy, this, send);
        else
            send();
    }

    void fail(const QDBusMessage &call, const QString &error)
    {
        m_lateBy = -1;
        call.setDelayedReply(true);
        m_bus.send(call.createErrorReply(error, u"Refused by the test"_s));
    }

    // A lock tied to the caller's bus name, as gnome-session, the power
    // manager and the screen saver keep theirs: the reply is its cookie.
    void takeCookieLock(const QDBusMessage &call, QVariantMap info)
    {
        // Watched before the reply goes out, so a holder that dies right
        // after is still noticed.
        m_watcher.addWatchedService(call.service());
        const uint cookie = add(call, std::move(info)).cookie;
        answer(call, cookie, cookie);
    }

    void releaseCookieLock(const QDBusMessage &call, const QString &service, uint cookie)
    {
        const auto held = std::ranges::find_if(m_locks, [&](const HeldLock &lock) {
            return !lock.pipe && lock.info[u"service"_s] == service && lock.cookie == cookie;
        });
        if (held == m_locks.end())
            return fail(call, QDBusError::errorString(QDBusError::InvalidArgs));
        record(u"released"_s, *held);
        m_locks.erase(held);
        answer(call, {});
    }

    // logind's kind: the lock lasts while the caller keeps the descriptor
    // of the reply open.
    void takeDescriptorLock(const QDBusMessage &call, QVariantMap info)
    {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0)
            return fail(call, QDBusError::errorString(QDBusError::Failed));
        HeldLock &lock = add(call, std::move(info));
        lock.pipe = std::make_unique<QSocketNotifier>(ends[0], QSocketNotifier::Read);
        // The read end turns readable (end of file) once every copy of the
        // write end is closed: then the lock is gone.
        QSocketNotifier *notifier = lock.pipe.get();
        connect(notifier, &QSocketNotifier::activated, this, [this, notifier] {
            notifier->setEnabled(false);
            const auto held =
                std::ranges::find_if(m_locks, [&](const HeldLock &l) { return l.pipe.get() == notifier; });
            record(u"released"_s, *held);
            ::close(static_cast<int>(notifier->socket()));
            // The notifier is still delivering this signal: it goes later.
            held->pipe.release()->deleteLater();
            m_locks.erase(held);
        });
        // The reply holds its own copy.
        answer(call, QVariant::fromValue(QDBusUnixFileDescriptor(ends[1])), lock.cookie);
        ::close(ends[1]);
    }

private:
    bool control(const QDBusMessage &call, const QString &member, const QVariantList &a)
    {
        if (member == u"Locks"_s) {
            QList<QVariantMap> locks;
            for (const HeldLock &lock : m_locks) {
                if (lock.granted)
                    locks.append(lock.info);
            }
            answer(call, QVariant::fromValue(locks));
        } else if (member == u"Events"_s) {
            answer(call, QVariant::fromValue(m_events));
        } else if (member == u"SetBehaviour"_s) {
            m_behaviours.insert(a.value(0).toString() + u'/' + a.value(1).toString(), a.value(2).toString());
            answer(call, {});
        } else if (member == u"EmitPrepareForSleep"_s) {
            QDBusMessage signal =
                QDBusMessage::createSignal(u"/org/freedesktop/login1"_s, logind + u".Manager"_s, u"PrepareForSleep"_s);
            signal << a.value(0).toBool();
            m_bus.send(signal);
            answer(call, {});
        } else if (member == u"SetTimezone"_s) {
            // timedated's announcement that the system's zone is now (zone).
            // The zone itself is the test's to set, where the C library reads it.
            QDBusMessage signal = QDBusMessage::createSignal(
                u"/org/freedesktop/timedate1"_s, u"org.freedesktop.DBus.Properties"_s, u"PropertiesChanged"_s);
            signal << timedate << QVariantMap{{u"Timezone"_s, a.value(0)}} << QStringList();
            m_bus.send(signal);
            answer(call, {});
        } else if (member == u"Items"_s) {
            answer(call, QVariant::fromValue(m_items));
        } else if (member == u"SetOwned"_s) {
            // (name, owned): a stand-in leaves the bus or comes back, as a
            // service does when it restarts. A watcher that comes back
            // knows no items.
            const QString name = a.value(0).toString();
            const bool owned = a.value(1).toBool();
            if (name == trayWatcher)
                m_items.clear();
            if (!knownNames().contains(name) || !(owned ? m_bus.registerService(name) : m_bus.unregisterService(name)))
                fail(call, QDBusError::errorString(QDBusError::InvalidArgs));
            else
                answer(call, {});
        } else if (member == u"SetTrayHost"_s) {
            // (registered): a tray's host registers with the watcher or
            // leaves it, and the watcher says so.
            m_trayHost = a.value(0).toBool();
            m_bus.send(QDBusMessage::createSignal(trayWatcherPath, trayWatcher,
                                                  m_trayHost ? u"StatusNotifierHostRegistered"_s
                                                             : u"StatusNotifierHostUnregistered"_s));
            answer(call, {});
        } else if (member == u"SetPortalSetting"_s) {
            // (group, key, value, announce): the portal answers Read with
            // the value from now on, and with `announce` says it changed.
            const QVariant value = a.value(2).value<QDBusVariant>().variant();
            m_settings[a.value(0).toString()].insert(a.value(1).toString(), value);
            if (a.value(3).toBool()) {
                QDBusMessage signal =
                    QDBusMessage::createSignal(portalPath, u"org.freedesktop.portal.Settings"_s, u"SettingChanged"_s);
                signal << a.value(0) << a.value(1) << QVariant::fromValue(QDBusVariant(value));
                m_bus.send(signal);
            }
            answer(call, {});
        } else {
            return false;
        }
        return true;
    }

    // An item as the watcher lists it: a bus name, or an object path on the
    // caller's connection.
    void registerItem(const QDBusMessage &call, const QString &item)
    {
        const QString name = item.startsWith(u'/') ? call.service() + item : item;
        m_items.append({{u"item"_s, name}, {u"holder"_s, call.service()}});
        m_watcher.addWatchedService(call.service());
        answer(call, {});
        QDBusMessage signal =
            QDBusMessage::createSignal(trayWatcherPath, trayWatcher, u"StatusNotifierItemRegistered"_s);
        signal << name;
        m_bus.send(signal);
    }

    bool watcherProperties(const QDBusMessage &call, const QString &member, const QVariantList &a)
    {
        if (!answers(call, trayWatcher))
            return true;
        QStringList items;
        for (const QVariantMap &item : std::as_const(m_items))
            items.append(item.value(u"item"_s).toString());
        const QVariantMap all{{u"RegisteredStatusNotifierItems"_s, items},
                              {u"IsStatusNotifierHostRegistered"_s, m_trayHost},
                              {u"ProtocolVersion"_s, 0}};
        if (member == u"GetAll"_s) {
            answer(call, all);
        } else if (member == u"Get"_s && all.contains(a.value(1).toString())) {
            answer(call, QVariant::fromValue(QDBusVariant(all.value(a.value(1).toString()))));
        } else {
            fail(call, QDBusError::errorString(QDBusError::UnknownProperty));
        }
        return true;
    }

    HeldLock &add(const QDBusMessage &call, QVariantMap info)
    {
        info.insert(u"holder"_s, call.service());
        return m_locks.emplace_back(HeldLock{std::move(info), m_nextCookie++, nullptr});
    }

    // "at" is CLOCK_MONOTONIC in nanoseconds, comparable across processes.
    void record(const QString &kind, const HeldLock &lock)
    {
        QVariantMap event = lock.info;
        event.insert(u"kind"_s, kind);
        event.insert(u"at"_s, qint64(std::chrono::steady_clock::now().time_since_epoch().count()));
        m_events.append(event);
    }

    // Only the cookie locks go with their holder: a descriptor lock lives
    // exactly as long as the descriptor, as logind's does.
    void holderLeft(const QString &name)
    {
        m_watcher.removeWatchedService(name);
        m_items.removeIf([&](const QVariantMap &item) { return item.value(u"holder"_s) == name; });
        std::erase_if(m_locks, [&](const HeldLock &lock) {
            const bool gone = !lock.pipe && lock.info[u"holder"_s] == name;
            if (gone && lock.granted)
                record(u"dropped"_s, lock);
            return gone;
        });
    }

    QDBusConnection m_bus;
    QDBusServiceWatcher m_watcher;
    std::list<HeldLock> m_locks;
    QList<QVariantMap> m_events;
    QList<QVariantMap> m_items; // the tray watcher's
    QHash<QString, QString> m_behaviours;
    QHash<QString, QVariantMap> m_settings; // the portal's
    bool m_trayHost = true;                 // the tray watcher's
    uint m_nextCookie = 100;
    int m_lateBy = -1; // the delay of the call being handled, when it is late
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 2) {
        std::fprintf(stderr, "usage: pelorin_test_services ADDRESS [NAME...]\n");
        return 2;
    }
    qDBusRegisterMetaType<QList<QVariantMap>>();

    StandIns standIns(QDBusConnection::connectToBus(arguments.at(1), u"services"_s));
    const QStringList paths{u"/control"_s,
                            trayWatcherPath,
                            u"/org/gnome/SessionManager"_s,
                            u"/org/freedesktop/PowerManagement/Inhibit"_s,
                            u"/org/freedesktop/ScreenSaver"_s,
                            u"/org/freedesktop/login1"_s,
                            portalPath};
    for (const QString &path : paths) {
        if (!standIns.bus().registerVirtualObject(path, &standIns)) {
            std::fprintf(stderr, "pelorin_test_services: cannot serve %s\n", qPrintable(path));
            return 1;
        }
    }
    // The stand-ins' names are only asked for: without its name on the bus,
    // a service is not there for anyone.
    for (const QString &name : QStringList{u"org.pelorin.Test"_s} + arguments.mid(2)) {
        if ((name != u"org.pelorin.Test"_s && !knownNames().contains(name)) || !standIns.bus().registerService(name)) {
            std::fprintf(stderr, "pelorin_test_services: cannot own %s\n", qPrintable(name));
            return 1;
        }
    }
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}
