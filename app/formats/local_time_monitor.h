#pragma once

#include <QDBusConnection>
#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <optional>

class QSocketNotifier;

namespace pelorin {

// The zone file the C library reads: the one TZ names (":/etc/localtime",
// "/path", or "Europe/Berlin" in the zone database), else /etc/localtime;
// empty when TZ is a POSIX rule such as "CET-1CEST,M3.5.0,M10.5.0/3".
QString cLibraryZoneFile();

// Tells when the local times on screen may have gone stale: the wall clock
// was set (by hand, by a time server stepping it, or on waking from sleep),
// or the system's time zone changed (timedated's Timezone property, or the
// zone file being replaced or rewritten). On a zone change the C library is
// made to read its zone again first, so the formats write the new zone by
// the time `changed` is emitted. Changes that come together (timedated's
// signal and the new zone file, say) are announced once, when the event loop
// turns. Main thread only.
class LocalTimeMonitor : public QObject {
    Q_OBJECT

public:
    struct Sources {
        // Where timedated is; absent means the system bus.
        std::optional<QDBusConnection> systemBus;
        // The zone file to watch; empty watches none.
        QString zoneFile = cLibraryZoneFile();
    };

    // Watches the system bus and the zone file the C library reads.
    explicit LocalTimeMonitor(QObject *parent = nullptr);
    explicit LocalTimeMonitor(Sources sources, QObject *parent = nullptr);
    ~LocalTimeMonitor() override;

    LocalTimeMonitor(const LocalTimeMonitor &) = delete;
    LocalTimeMonitor &operator=(const LocalTimeMonitor &) = delete;

Q_SIGNALS:
    // The wall clock jumped or the zone changed: every local time shown
    // should be written again.
    void changed();

private Q_SLOTS:
    void timedatePropertiesChanged(const QString &interface, const QVariantMap &changed,
                                   const QStringList &invalidated);

private:
    // What identifies the zone file's contents without reading them: the
    // link and what it points at.
    struct ZoneFileIdentity {
        bool exists = false;
        QString target;
        qint64 linkInode = 0;
        qint64 linkChanged = 0;
        qint64 fileInode = 0;
        qint64 fileChanged = 0;
        qint64 size = 0;
        bool operator==(const ZoneFileIdentity &) const = default;
    };

    void watchClock();
    bool armClock();
    void clockSet();
    void watchZoneFile();
    void zoneFileTouched();
    ZoneFileIdentity zoneFileIdentity() const;
    void announce(bool zoneChanged);

    Sources m_sources;
    int m_clockFd = -1;
    QSocketNotifier *m_clockNotifier = nullptr;
    QFileSystemWatcher m_zoneWatcher;
    ZoneFileIdentity m_zoneFile;
    bool m_announcing = false;
};

} // namespace pelorin
