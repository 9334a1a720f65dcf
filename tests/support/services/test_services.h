#pragma once

// Stand-ins for the desktop services that grant power locks, and for the
// desktop portal's settings, run in their own process on a private bus. Each
// keeps its locks in one LockBook, which the control object (org.pelorin.Test
// at /control) shows to the tests.
//
// A new stand-in is a QObject with a "D-Bus Interface" class info whose
// slots take the caller's QDBusMessage last, start with
// `if (!m_book.answers(message, ...)) return {};` so the behaviour set
// through the control object applies, and is added to serviceNames() and
// registerService() in test_services.cpp.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDBusUnixFileDescriptor>
#include <QDBusVariant>
#include <QHash>
#include <QObject>
#include <QSocketNotifier>
#include <QVariantMap>

#include <list>
#include <memory>

namespace pelorin::testservices {

struct HeldLock {
    QString service; // well-known name of the service that granted it
    QString holder;  // unique bus name of the caller
    QString who;     // app id, application or who, as the caller gave it
    QString reason;
    uint flags = 0; // org.gnome.SessionManager only
    QString what;   // org.freedesktop.login1 only
    QString mode;   // org.freedesktop.login1 only
    uint cookie = 0;
    std::unique_ptr<QSocketNotifier> pipe; // org.freedesktop.login1: read end of the lock
};

// One change to the locks, in the order this process saw it.
struct LockEvent {
    quint64 sequence = 0; // counts up from 1 in this process
    qint64 at = 0;        // CLOCK_MONOTONIC in nanoseconds, comparable across processes
    QString kind;         // "taken", "released" (by the holder) or "dropped" (the holder left)
    QString service;
    QString holder;
    uint cookie = 0;
    uint flags = 0;
    QString what;
    QString mode;
};

class LockBook : public QObject {
    Q_OBJECT
public:
    explicit LockBook(QDBusConnection bus);
    ~LockBook() override;

    QDBusConnection bus() const { return m_bus; }

    // Applies the behaviour set for this service and method. True when the
    // caller should handle the call as the real service would; false when
    // it has already been answered (or deliberately left unanswered).
    bool answers(const QDBusMessage &call, const QString &service);
    // Behaviours: "reply" (the default), "deny" (AccessDenied), "fail"
    // (Failed), "hang" (never reply), "malformed" (reply with a string),
    // "slow:<ms>" (reply normally after blocking that long), "late:<ms>"
    // (handle the call at once, send its reply that much later).
    // Every handler that answers ends with finish(): for a late call it
    // sends the reply then; `answered` false drops it (an error went out).
    void setBehaviour(const QString &service, const QString &method, const QString &behaviour);
    void finish(const QDBusMessage &call, const QVariant &value = QVariant(), bool answered = true);

    // A lock tied to its holder's bus name, as gnome-session, the power
    // manager and the screen saver do. Returns its cookie.
    uint addCookieLock(HeldLock lock);
    bool removeCookieLock(const QString &service, uint cookie);
    // A lock that lasts while the caller keeps the returned descriptor open.
    QDBusUnixFileDescriptor addDescriptorLock(HeldLock lock);

    QList<QVariantMap> describe() const;
    // Every change since the process started, oldest first.
    QList<QVariantMap> journal() const;

private:
    void holderLeft(const QString &name);
    void record(const QString &kind, const HeldLock &lock);

    QDBusConnection m_bus;
    QDBusServiceWatcher m_watcher;
    std::list<HeldLock> m_locks;
    QHash<QString, QString> m_behaviours;
    uint m_nextCookie = 100;
    int m_lateBy = -1; // the delay of the call being handled, when it is late
    QList<LockEvent> m_journal;
};

class GnomeSessionManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.gnome.SessionManager")
public:
    explicit GnomeSessionManager(LockBook &book) : m_book(book) {}
public Q_SLOTS:
    uint Inhibit(const QString &appId, uint toplevelXid, const QString &reason, uint flags,
                 const QDBusMessage &message);
    void Uninhibit(uint cookie, const QDBusMessage &message);

private:
    LockBook &m_book;
};

// org.freedesktop.PowerManagement.Inhibit and org.freedesktop.ScreenSaver
// share one shape: Inhibit(application, reason) -> cookie, UnInhibit(cookie).
class CookieInhibitor : public QObject {
    Q_OBJECT
public:
    CookieInhibitor(LockBook &book, QString service) : m_book(book), m_service(std::move(service)) {}
public Q_SLOTS:
    uint Inhibit(const QString &application, const QString &reason, const QDBusMessage &message);
    void UnInhibit(uint cookie, const QDBusMessage &message);

private:
    LockBook &m_book;
    QString m_service;
};

class PowerManagementInhibit : public CookieInhibitor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.PowerManagement.Inhibit")
public:
    explicit PowerManagementInhibit(LockBook &book);
};

class ScreenSaver : public CookieInhibitor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    explicit ScreenSaver(LockBook &book);
};

class LogindManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
public:
    explicit LogindManager(LockBook &book) : m_book(book) {}
public Q_SLOTS:
    QDBusUnixFileDescriptor Inhibit(const QString &what, const QString &who, const QString &why, const QString &mode,
                                    const QDBusMessage &message);

private:
    LockBook &m_book;
};

// The desktop portal's settings (org.freedesktop.portal.Desktop at
// /org/freedesktop/portal/desktop): holds what the tests set, answers as the
// real portal does, and announces a change when told to. No setting is there
// until a test sets it.
class PortalSettings : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")
public:
    explicit PortalSettings(LockBook &book) : m_book(book) {}

    // Stores the value; with `announce`, sends SettingChanged as well.
    void set(const QString &group, const QString &key, const QVariant &value, bool announce);

public Q_SLOTS:
    // The value wrapped in one variant more than declared, as the real
    // portal answers; NotFound for a setting that is not there.
    QDBusVariant Read(const QString &group, const QString &key, const QDBusMessage &message);
    // a{sa{sv}}: every setting of the groups named exactly or by a prefix
    // ending in "*"; all of them for an empty list.
    void ReadAll(const QStringList &groups, const QDBusMessage &message);

Q_SIGNALS:
    void SettingChanged(const QString &group, const QString &key, const QDBusVariant &value);

private:
    LockBook &m_book;
    QHash<QString, QVariantMap> m_settings;
};

// What the tests see and steer.
class Control : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.pelorin.Test.Control")
public:
    explicit Control(LockBook &book) : m_book(book) {}
public Q_SLOTS:
    // Every lock held, as a{sv}: "service", "holder", "who", "reason",
    // "flags", "what", "mode", "cookie".
    QList<QVariantMap> Locks();
    // Every lock taken, released or dropped, oldest first, as a{sv}:
    // "sequence" (t), "at" (x), "kind", "service", "holder", "cookie",
    // "flags", "what", "mode".
    QList<QVariantMap> Events();
    void SetBehaviour(const QString &service, const QString &method, const QString &behaviour);
    // Sends logind's PrepareForSleep(start) from /org/freedesktop/login1.
    void EmitPrepareForSleep(bool start);
    // Sets a setting of the portal served by this process; with `announce`
    // the portal sends SettingChanged for it. Failed when no portal is served.
    void SetPortalSetting(const QString &group, const QString &key, const QDBusVariant &value, bool announce,
                          const QDBusMessage &message);

private:
    LockBook &m_book;
};

// The names a services process can own, and the objects behind each.
QStringList serviceNames();
bool registerService(LockBook &book, const QString &name, QObject *parent);

} // namespace pelorin::testservices
