#include "local_time_monitor.h"

#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSocketNotifier>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <limits>
#include <sys/stat.h>
#include <sys/timerfd.h>
#include <unistd.h>
#include <utility>

namespace pelorin {

using namespace Qt::StringLiterals;

namespace {

const QString timedatePath = u"/org/freedesktop/timedate1"_s;
const QString timedateInterface = u"org.freedesktop.timedate1"_s;
const QString timezoneProperty = u"Timezone"_s;

Q_LOGGING_CATEGORY(lcTime, "time")

qint64 nanoseconds(const struct timespec &time)
{
    return qint64(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

// glibc's tzset() reads the zone again only when TZ's text has changed since
// it last did (or, with TZ unset, when /etc/localtime has): a zone file that
// TZ names and that now holds another zone is read again only after TZ has
// said something else in between.
void readZoneAgain()
{
    const QByteArray tz = qgetenv("TZ");
    if (!tz.isEmpty() && tz != "UTC0") {
        qputenv("TZ", "UTC0");
        ::tzset();
        qputenv("TZ", tz);
    }
    ::tzset();
}

} // namespace

QString cLibraryZoneFile()
{
    if (!qEnvironmentVariableIsSet("TZ"))
        return u"/etc/localtime"_s;
    QString name = qEnvironmentVariable("TZ");
    if (name.startsWith(u':'))
        name.remove(0, 1);
    if (name.isEmpty() || name.startsWith(u'/'))
        return name;
    // A name in the zone database, or else a POSIX rule.
    QString database = qEnvironmentVariable("TZDIR");
    if (database.isEmpty())
        database = u"/usr/share/zoneinfo"_s;
    const QString path = database + u'/' + name;
    return QFileInfo(path).isFile() ? path : QString();
}

LocalTimeMonitor::LocalTimeMonitor(QObject *parent) : LocalTimeMonitor(Sources{}, parent)
{
}

LocalTimeMonitor::LocalTimeMonitor(Sources sources, QObject *parent) : QObject(parent), m_sources(std::move(sources))
{
    watchClock();
    watchZoneFile();
    // Any sender: timedated comes and goes with its bus activation, and
    // following its name would cost a blocking call now.
    QDBusConnection bus = m_sources.systemBus ? *m_sources.systemBus : QDBusConnection::systemBus();
    if (bus.isConnected())
        bus.connect(QString(), timedatePath, u"org.freedesktop.DBus.Properties"_s, u"PropertiesChanged"_s,
                    {timedateInterface}, QString(), this,
                    SLOT(timedatePropertiesChanged(QString, QVariantMap, QStringList)));
}

LocalTimeMonitor::~LocalTimeMonitor()
{
    delete m_clockNotifier;
    if (m_clockFd >= 0)
        ::close(m_clockFd);
}

void LocalTimeMonitor::watchClock()
{
    // A timer on the wall clock set for the end of time, which the kernel
    // cancels whenever the clock is set: its descriptor turns readable then
    // and only then, so nothing wakes up while the clock runs on.
    m_clockFd = ::timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_clockFd < 0 || !armClock()) {
        qCWarning(lcTime, "times shown will not follow a change of the wall clock: %s", std::strerror(errno));
        if (m_clockFd >= 0)
            ::close(m_clockFd);
        m_clockFd = -1;
        return;
    }
    m_clockNotifier = new QSocketNotifier(m_clockFd, QSocketNotifier::Read);
    connect(m_clockNotifier, &QSocketNotifier::activated, this, &LocalTimeMonitor::clockSet);
}

bool LocalTimeMonitor::armClock()
{
    struct itimerspec endOfTime {};
    endOfTime.it_value.tv_sec = std::numeric_limits<std::time_t>::max();
    return ::timerfd_settime(m_clockFd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &endOfTime, nullptr) == 0;
}

void LocalTimeMonitor::clockSet()
{
    std::uint64_t expirations = 0;
    const ssize_t read = ::read(m_clockFd, &expirations, sizeof expirations);
    if (read >= 0 || errno != ECANCELED)
        return;
    // A cancelled timer stays cancelled until it is set again.
    armClock();
    announce(false);
}

void LocalTimeMonitor::watchZoneFile()
{
    if (m_sources.zoneFile.isEmpty())
        return;
    m_zoneFile = zoneFileIdentity();
    // The folder, for a link or file put in its place (as timedated and
    // `ln -sf` do); the file, for one written over where it stands or for a
    // zone that a new time zone database rewrites.
    const QString folder = QFileInfo(m_sources.zoneFile).absolutePath();
    if (QFileInfo::exists(folder))
        m_zoneWatcher.addPath(folder);
    if (m_zoneFile.exists)
        m_zoneWatcher.addPath(m_sources.zoneFile);
    connect(&m_zoneWatcher, &QFileSystemWatcher::directoryChanged, this, &LocalTimeMonitor::zoneFileTouched);
    connect(&m_zoneWatcher, &QFileSystemWatcher::fileChanged, this, &LocalTimeMonitor::zoneFileTouched);
}

void LocalTimeMonitor::zoneFileTouched()
{
    // The folder holds other files, which change for other reasons.
    const ZoneFileIdentity now = zoneFileIdentity();
    if (now == m_zoneFile)
        return;
    m_zoneFile = now;
    // What the path leads to now is watched instead.
    m_zoneWatcher.removePath(m_sources.zoneFile);
    if (now.exists)
        m_zoneWatcher.addPath(m_sources.zoneFile);
    announce(true);
}

LocalTimeMonitor::ZoneFileIdentity LocalTimeMonitor::zoneFileIdentity() const
{
    ZoneFileIdentity identity;
    const QByteArray path = QFile::encodeName(m_sources.zoneFile);
    struct stat link {};
    struct stat file {};
    if (::lstat(path.constData(), &link) != 0 || ::stat(path.constData(), &file) != 0)
        return identity;
    identity.exists = true;
    identity.target = QFileInfo(m_sources.zoneFile).symLinkTarget();
    identity.linkInode = qint64(link.st_ino);
    identity.linkChanged = nanoseconds(link.st_mtim);
    identity.fileInode = qint64(file.st_ino);
    identity.fileChanged = nanoseconds(file.st_mtim);
    identity.size = qint64(file.st_size);
    return identity;
}

void LocalTimeMonitor::timedatePropertiesChanged(const QString &interface, const QVariantMap &changed,
                                                 const QStringList &invalidated)
{
    if (interface == timedateInterface &&
        (changed.contains(timezoneProperty) || invalidated.contains(timezoneProperty)))
        announce(true);
}

void LocalTimeMonitor::announce(bool zoneChanged)
{
    // The C library reads its zone again only when asked to.
    if (zoneChanged)
        readZoneAgain();
    if (m_announcing)
        return;
    m_announcing = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_announcing = false;
            Q_EMIT changed();
        },
        Qt::QueuedConnection);
}

} // namespace pelorin
