#include "test_services.h"

#include <QDBusMetaType>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace pelorin::testservices {

LockBook::LockBook(QDBusConnection bus) : m_bus(std::move(bus))
{
    m_watcher.setConnection(m_bus);
    m_watcher.setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
    connect(&m_watcher, &QDBusServiceWatcher::serviceUnregistered, this, &LockBook::holderLeft);
}

LockBook::~LockBook()
{
    for (HeldLock &lock : m_locks) {
        if (lock.pipe) {
            const int fd = static_cast<int>(lock.pipe->socket());
            lock.pipe.reset();
            ::close(fd);
        }
    }
}

bool LockBook::answers(const QDBusMessage &call, const QString &service)
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
        // Handled now, answered later: the service goes on serving others.
        call.setDelayedReply(true);
        m_lateBy = static_cast<int>(behaviour.sliced(5).toUInt());
        return true;
    }
    call.setDelayedReply(true);
    if (behaviour == "deny"_L1)
        m_bus.send(call.createErrorReply(QDBusError::AccessDenied, u"Denied by the test"_s));
    else if (behaviour == "fail"_L1)
        m_bus.send(call.createErrorReply(QDBusError::Failed, u"Failed by the test"_s));
    else if (behaviour == "malformed"_L1)
        m_bus.send(call.createReply(u"malformed"_s));
    // "hang": no reply at all; the caller runs into its time-out.
    return false;
}

void LockBook::finish(const QDBusMessage &call, const QVariant &value, bool answered)
{
    if (m_lateBy < 0)
        return;
    if (!answered) {
        m_lateBy = -1;
        return;
    }
    const QDBusMessage reply = value.isValid() ? call.createReply(value) : call.createReply();
    QTimer::singleShot(std::exchange(m_lateBy, -1), this, [this, reply] { m_bus.send(reply); });
}

void LockBook::setBehaviour(const QString &service, const QString &method, const QString &behaviour)
{
    m_behaviours.insert(service + u'/' + method, behaviour);
}

uint LockBook::addCookieLock(HeldLock lock)
{
    // Watched before the reply goes out, so a holder that dies right after
    // is still noticed.
    m_watcher.addWatchedService(lock.holder);
    lock.cookie = m_nextCookie++;
    record(u"taken"_s, lock);
    m_locks.push_back(std::move(lock));
    return m_locks.back().cookie;
}

bool LockBook::removeCookieLock(const QString &service, uint cookie)
{
    return std::erase_if(m_locks, [&](const HeldLock &lock) {
               const bool match = !lock.pipe && lock.service == service && lock.cookie == cookie;
               if (match)
                   record(u"released"_s, lock);
               return match;
           }) > 0;
}

QDBusUnixFileDescriptor LockBook::addDescriptorLock(HeldLock lock)
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return {};
    lock.cookie = m_nextCookie++;
    lock.pipe = std::make_unique<QSocketNotifier>(ends[0], QSocketNotifier::Read);
    // The read end turns readable (end of file) once every copy of the write
    // end is closed: then the lock is gone.
    QSocketNotifier *notifier = lock.pipe.get();
    connect(notifier, &QSocketNotifier::activated, this, [this, notifier] {
        const int fd = static_cast<int>(notifier->socket());
        notifier->setEnabled(false);
        const auto held = std::ranges::find_if(m_locks, [&](const HeldLock &l) { return l.pipe.get() == notifier; });
        record(u"released"_s, *held);
        // The notifier is still delivering this signal: let it finish first.
        held->pipe.release()->deleteLater();
        m_locks.erase(held);
        ::close(fd);
    });
    record(u"taken"_s, lock);
    m_locks.push_back(std::move(lock));
    QDBusUnixFileDescriptor handedOut(ends[1]); // holds its own copy
    ::close(ends[1]);
    return handedOut;
}

QList<QVariantMap> LockBook::describe() const
{
    QList<QVariantMap> result;
    for (const HeldLock &lock : m_locks) {
        result.append({{u"service"_s, lock.service},
                       {u"holder"_s, lock.holder},
                       {u"who"_s, lock.who},
                       {u"reason"_s, lock.reason},
                       {u"flags"_s, lock.flags},
                       {u"what"_s, lock.what},
                       {u"mode"_s, lock.mode},
                       {u"cookie"_s, lock.cookie}});
    }
    return result;
}

QList<QVariantMap> LockBook::journal() const
{
    QList<QVariantMap> result;
    for (const LockEvent &event : m_journal) {
        result.append({{u"sequence"_s, event.sequence},
                       {u"at"_s, event.at},
                       {u"kind"_s, event.kind},
                       {u"service"_s, event.service},
                       {u"holder"_s, event.holder},
                       {u"cookie"_s, event.cookie},
                       {u"flags"_s, event.flags},
                       {u"what"_s, event.what},
                       {u"mode"_s, event.mode}});
    }
    return result;
}

void LockBook::record(const QString &kind, const HeldLock &lock)
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    m_journal.append({static_cast<quint64>(m_journal.size()) + 1,
                      std::chrono::duration_cast<std::chrono::nanoseconds>(now).count(), kind, lock.service,
                      lock.holder, lock.cookie, lock.flags, lock.what, lock.mode});
}

void LockBook::holderLeft(const QString &name)
{
    m_watcher.removeWatchedService(name);
    // Only the cookie locks: a descriptor lock lives exactly as long as the
    // descriptor, as logind's does.
    std::erase_if(m_locks, [&](const HeldLock &lock) {
        const bool match = !lock.pipe && lock.holder == name;
        if (match)
            record(u"dropped"_s, lock);
        return match;
    });
}

uint GnomeSessionManager::Inhibit(const QString &appId, uint toplevelXid, const QString &reason, uint flags,
                                  const QDBusMessage &message)
{
    Q_UNUSED(toplevelXid);
    if (!m_book.answers(message, u"org.gnome.SessionManager"_s))
        return 0;
    HeldLock lock;
    lock.service = u"org.gnome.SessionManager"_s;
    lock.holder = message.service();
    lock.who = appId;
    lock.reason = reason;
    lock.flags = flags;
    const uint cookie = m_book.addCookieLock(std::move(lock));
    m_book.finish(message, cookie);
    return cookie;
}

void GnomeSessionManager::Uninhibit(uint cookie, const QDBusMessage &message)
{
    if (!m_book.answers(message, u"org.gnome.SessionManager"_s))
        return;
    if (!m_book.removeCookieLock(u"org.gnome.SessionManager"_s, cookie)) {
        message.setDelayedReply(true);
        m_book.bus().send(
            message.createErrorReply(u"org.gnome.SessionManager.GeneralError"_s, u"Unable to uninhibit"_s));
        m_book.finish(message, QVariant(), false);
        return;
    }
    m_book.finish(message);
}

uint CookieInhibitor::Inhibit(const QString &application, const QString &reason, const QDBusMessage &message)
{
    if (!m_book.answers(message, m_service))
        return 0;
    HeldLock lock;
    lock.service = m_service;
    lock.holder = message.service();
    lock.who = application;
    lock.reason = reason;
    const uint cookie = m_book.addCookieLock(std::move(lock));
    m_book.finish(message, cookie);
    return cookie;
}

void CookieInhibitor::UnInhibit(uint cookie, const QDBusMessage &message)
{
    if (!m_book.answers(message, m_service))
        return;
    if (!m_book.removeCookieLock(m_service, cookie)) {
        message.setDelayedReply(true);
        m_book.bus().send(message.createErrorReply(QDBusError::InvalidArgs, u"No such cookie"_s));
        m_book.finish(message, QVariant(), false);
        return;
    }
    m_book.finish(message);
}

PowerManagementInhibit::PowerManagementInhibit(LockBook &book)
    : CookieInhibitor(book, u"org.freedesktop.PowerManagement"_s)
{
}

ScreenSaver::ScreenSaver(LockBook &book) : CookieInhibitor(book, u"org.freedesktop.ScreenSaver"_s)
{
}

QDBusUnixFileDescriptor LogindManager::Inhibit(const QString &what, const QString &who, const QString &why,
                                               const QString &mode, const QDBusMessage &message)
{
    if (!m_book.answers(message, u"org.freedesktop.login1"_s))
        return {};
    HeldLock lock;
    lock.service = u"org.freedesktop.login1"_s;
    lock.holder = message.service();
    lock.who = who;
    lock.reason = why;
    lock.what = what;
    lock.mode = mode;
    const QDBusUnixFileDescriptor fd = m_book.addDescriptorLock(std::move(lock));
    m_book.finish(message, QVariant::fromValue(fd));
    return fd;
}

namespace {

const QString portalService = u"org.freedesktop.portal.Desktop"_s;
const QString portalPath = u"/org/freedesktop/portal/desktop"_s;

} // namespace

void PortalSettings::set(const QString &group, const QString &key, const QVariant &value, bool announce)
{
    m_settings[group].insert(key, value);
    if (announce)
        Q_EMIT SettingChanged(group, key, QDBusVariant(value));
}

QDBusVariant PortalSettings::Read(const QString &group, const QString &key, const QDBusMessage &message)
{
    if (!m_book.answers(message, portalService))
        return {};
    const auto found = m_settings.constFind(group);
    if (found == m_settings.cend() || !found->contains(key)) {
        message.setDelayedReply(true);
        m_book.bus().send(
            message.createErrorReply(u"org.freedesktop.portal.Error.NotFound"_s, u"Requested setting not found"_s));
        return {};
    }
    return QDBusVariant(QVariant::fromValue(QDBusVariant(found->value(key))));
}

void PortalSettings::ReadAll(const QStringList &groups, const QDBusMessage &message)
{
    if (!m_book.answers(message, portalService))
        return;
    const auto wanted = [&](const QString &group) {
        return groups.isEmpty() || std::ranges::any_of(groups, [&](const QString &pattern) {
                   return pattern.endsWith(u'*') ? group.startsWith(pattern.chopped(1)) : group == pattern;
               });
    };
    QMap<QString, QVariantMap> result;
    for (auto it = m_settings.cbegin(); it != m_settings.cend(); ++it) {
        if (wanted(it.key()))
            result.insert(it.key(), it.value());
    }
    message.setDelayedReply(true);
    m_book.bus().send(message.createReply(QVariant::fromValue(result)));
}

QList<QVariantMap> Control::Locks()
{
    return m_book.describe();
}

QList<QVariantMap> Control::Events()
{
    return m_book.journal();
}

void Control::SetBehaviour(const QString &service, const QString &method, const QString &behaviour)
{
    m_book.setBehaviour(service, method, behaviour);
}

void Control::EmitPrepareForSleep(bool start)
{
    QDBusMessage signal = QDBusMessage::createSignal(u"/org/freedesktop/login1"_s, u"org.freedesktop.login1.Manager"_s,
                                                     u"PrepareForSleep"_s);
    signal << start;
    m_book.bus().send(signal);
}

void Control::SetPortalSetting(const QString &group, const QString &key, const QDBusVariant &value, bool announce,
                               const QDBusMessage &message)
{
    auto *portal = qobject_cast<PortalSettings *>(m_book.bus().objectRegisteredAt(portalPath));
    if (!portal) {
        message.setDelayedReply(true);
        m_book.bus().send(message.createErrorReply(QDBusError::Failed, u"No portal is served here"_s));
        return;
    }
    portal->set(group, key, value.variant(), announce);
}

QStringList serviceNames()
{
    return {u"org.gnome.SessionManager"_s, u"org.freedesktop.PowerManagement"_s, u"org.freedesktop.ScreenSaver"_s,
            u"org.freedesktop.login1"_s, portalService};
}

bool registerService(LockBook &book, const QString &name, QObject *parent)
{
    QDBusConnection bus = book.bus();
    const auto exportAt = [&](QObject *object, const QStringList &paths) {
        object->setParent(parent);
        for (const QString &path : paths) {
            if (!bus.registerObject(path, object, QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals))
                return false;
        }
        return bus.registerService(name);
    };
    if (name == "org.gnome.SessionManager"_L1)
        return exportAt(new GnomeSessionManager(book), {u"/org/gnome/SessionManager"_s});
    if (name == "org.freedesktop.PowerManagement"_L1)
        return exportAt(new PowerManagementInhibit(book), {u"/org/freedesktop/PowerManagement/Inhibit"_s});
    if (name == "org.freedesktop.ScreenSaver"_L1)
        return exportAt(new ScreenSaver(book), {u"/org/freedesktop/ScreenSaver"_s, u"/ScreenSaver"_s});
    if (name == "org.freedesktop.login1"_L1)
        return exportAt(new LogindManager(book), {u"/org/freedesktop/login1"_s});
    if (name == portalService) {
        static const QMetaType registered = qDBusRegisterMetaType<QMap<QString, QVariantMap>>();
        Q_UNUSED(registered);
        return exportAt(new PortalSettings(book), {portalPath});
    }
    return false;
}

} // namespace pelorin::testservices
