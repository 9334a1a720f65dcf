#include "accessibility_desktop.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QThread>

#include <gtest/gtest.h>

#include <sys/prctl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace pelorin::test {

namespace {

constexpr int startTimeoutMs = 30'000;

// Debian keeps the launcher out of PATH.
QString launcherProgram()
{
    return QStandardPaths::findExecutable(
        u"at-spi-bus-launcher"_s, {u"/usr/libexec"_s, u"/usr/lib/at-spi2-core"_s, u"/usr/libexec/at-spi2-core"_s});
}

} // namespace

AccessibilityDesktop::~AccessibilityDesktop()
{
    if (m_launcher) {
        // The launcher, its bus daemon and the registry that bus activated
        // share the launcher's process group: all of them go at once.
        if (const auto group = static_cast<pid_t>(m_launcher->processId()); group > 0)
            ::kill(-group, SIGKILL);
        stopChild(m_launcher);
    }
    m_buses.reset();
    stopChild(m_xvfb);
}

QString AccessibilityDesktop::missingTools()
{
    QStringList missing;
    if (QStandardPaths::findExecutable(u"Xvfb"_s).isEmpty())
        missing.append(u"Xvfb (package xvfb)"_s);
    if (launcherProgram().isEmpty())
        missing.append(u"at-spi-bus-launcher (package at-spi2-core)"_s);
    return missing.isEmpty() ? QString() : u"the screen reader tests need "_s + missing.join(u" and "_s);
}

QString AccessibilityDesktop::log(const QString &name) const
{
    QFile file(m_dir.filePath(name + u".log"_s));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

bool AccessibilityDesktop::start()
{
    // The runtime folder holds the accessibility bus's socket; like the
    // real one it is private to its owner.
    if (!m_dir.isValid() || !QDir(m_dir.path()).mkpath(u"runtime"_s) ||
        !QFile::setPermissions(m_dir.filePath(u"runtime"_s), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)) {
        ADD_FAILURE() << "cannot make the runtime folder";
        return false;
    }

    // -displayfd: the server takes the first free display number itself (its
    // lock file decides, so parallel runs cannot take the same one) and
    // prints it once it accepts clients. -noreset keeps the root window's
    // properties, the accessibility bus address among them, when its last
    // client goes.
    m_xvfb = childProcess();
    m_xvfb->setStandardErrorFile(m_dir.filePath(u"xvfb.log"_s));
    m_xvfb->start(QStandardPaths::findExecutable(u"Xvfb"_s), {u"-displayfd"_s, u"1"_s, u"-nolisten"_s, u"tcp"_s,
                                                              u"-noreset"_s, u"-screen"_s, u"0"_s, u"1280x800x24"_s});
    bool ok = false;
    const int number = QString::fromLatin1(firstLine(*m_xvfb, startTimeoutMs)).toInt(&ok);
    if (!ok) {
        ADD_FAILURE() << "Xvfb did not start: " << log(u"xvfb"_s).toStdString();
        return false;
    }
    m_display = u":"_s + QString::number(number);
    m_buses = std::make_unique<TestBus>();
    if (!m_buses->isValid())
        return false;

    // In its own process group, so that the bus daemon it starts and the
    // registry that daemon activates end with it. Should the test process
    // die first, SIGTERM lets the launcher take its bus down itself.
    m_launcher = std::make_unique<QProcess>();
    QProcessEnvironment launcherEnvironment = environment();
    // No desktop settings of the machine's, and no settings service to start.
    launcherEnvironment.insert(u"GSETTINGS_BACKEND"_s, u"memory"_s);
    m_launcher->setProcessEnvironment(launcherEnvironment);
    m_launcher->setStandardOutputFile(QProcess::nullDevice());
    m_launcher->setStandardErrorFile(m_dir.filePath(u"launcher.log"_s));
    m_launcher->setChildProcessModifier([] {
        ::setpgid(0, 0);
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    });
    // --a11y=1: accessibility is on, as it is while a screen reader runs.
    m_launcher->start(launcherProgram(), {u"--launch-immediately"_s, u"--a11y=1"_s});

    // The launcher owns org.a11y.Bus on the session bus once its bus runs.
    const QDBusMessage getAddress =
        QDBusMessage::createMethodCall(u"org.a11y.Bus"_s, u"/org/a11y/bus"_s, u"org.a11y.Bus"_s, u"GetAddress"_s);
    const QDeadlineTimer deadline(startTimeoutMs);
    while (m_accessibilityBus.isEmpty()) {
        const QDBusMessage reply = m_buses->connection(TestBus::Kind::session).call(getAddress);
        if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
            m_accessibilityBus = reply.arguments().constFirst().toString();
        else if (m_launcher->state() == QProcess::NotRunning || deadline.hasExpired()) {
            ADD_FAILURE() << "the accessibility bus did not come up: " << log(u"launcher"_s).toStdString();
            return false;
        } else
            QThread::msleep(20);
    }

    // The accessibility bus starts the registry on demand; ask it once so
    // that it runs before any program looks for it.
    const QString probe = u"pelorin-a11y-probe"_s + m_display;
    const QDBusMessage reply =
        QDBusConnection::connectToBus(m_accessibilityBus, probe)
            .call(QDBusMessage::createMethodCall(u"org.a11y.atspi.Registry"_s, u"/org/a11y/atspi/accessible/root"_s,
                                                 u"org.a11y.atspi.Accessible"_s, u"GetChildren"_s),
                  QDBus::Block, startTimeoutMs);
    QDBusConnection::disconnectFromBus(probe);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        ADD_FAILURE() << "the accessibility registry did not answer: " << reply.errorMessage().toStdString();
        return false;
    }
    return true;
}

QProcessEnvironment AccessibilityDesktop::environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &name : {u"AT_SPI_BUS_ADDRESS"_s, u"WAYLAND_DISPLAY"_s, u"XAUTHORITY"_s})
        environment.remove(name);
    environment.insert(u"DISPLAY"_s, m_display);
    environment.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, m_buses->address(TestBus::Kind::session));
    environment.insert(u"DBUS_SYSTEM_BUS_ADDRESS"_s, m_buses->address(TestBus::Kind::system));
    environment.insert(u"XDG_RUNTIME_DIR"_s, m_dir.filePath(u"runtime"_s));
    return environment;
}

void AccessibilityDesktop::startProgram(QProcess &process, const QString &program, const QStringList &arguments) const
{
    QProcessEnvironment environment = this->environment();
    environment.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
    // Qt offers its widgets to AT-SPI only while accessibility is on.
    environment.insert(u"QT_LINUX_ACCESSIBILITY_ALWAYS_ON"_s, u"1"_s);
    // No OpenGL probing on the virtual display: slow, and nothing drawn needs it.
    environment.insert(u"QT_XCB_GL_INTEGRATION"_s, u"none"_s);
    process.setProcessEnvironment(environment);
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    process.start(program, arguments);
}

} // namespace pelorin::test
