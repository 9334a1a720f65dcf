// The real program on a real Wayland compositor: sway with its headless
// back-end (run as an unprivileged user when the tests run as root, which
// sway refuses), Qt's Wayland platform, and the stand-in services on private
// buses. Without a tray its window shows and a close from the compositor
// ends it; a window opened again comes forward; a tray watcher that comes
// gets the item, unless it refuses it, and the item opens the panel.

#include "menu_bar_extra.h"
#include "shell_test_support.h"
#include "test_files.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <optional>
#include <sys/prctl.h>
#include <unistd.h>

using namespace pelorin;
using namespace pelorin::shelltest;
using namespace Qt::StringLiterals;

namespace {

constexpr int startLimitMs = 20'000;
const QString appId = QStringLiteral(PELORIN_APP_ID);

// One window of the compositor's tree.
struct View {
    QString title;
    bool focused = false;
};

// sway on its headless back-end, in a runtime folder of its own.
class HeadlessSway {
public:
    // Why sway cannot run here at all, or nothing.
    static QString missing()
    {
        if (QStandardPaths::findExecutable(u"sway"_s).isEmpty())
            return u"sway (Debian package sway) is not installed"_s;
        if (::getuid() == 0 && QProcess::execute(u"setpriv"_s, {u"--reuid=65534"_s, u"--regid=65534"_s,
                                                                u"--clear-groups"_s, u"true"_s}) != 0)
            return u"sway will not run as root, and setpriv (util-linux) cannot run it as nobody (uid 65534)"_s;
        return {};
    }

    // Empty when it started; otherwise why it did not.
    QString start()
    {
        const QString sway = QStandardPaths::findExecutable(u"sway"_s);
        if (!m_dir.isValid())
            return u"no temporary folder"_s;
        // sway will not run as root: then it runs as nobody, in a folder
        // that user owns.
        const bool root = ::getuid() == 0;
        const QString config = m_dir.filePath(u"config"_s);
        if (!test::writeFile(config, "xwayland disable\noutput HEADLESS-1 resolution 1280x800\n"))
            return u"cannot write the configuration"_s;
        if (root && (::chown(QFile::encodeName(m_dir.path()).constData(), nobody, nobody) != 0 ||
                     ::chown(QFile::encodeName(config).constData(), nobody, nobody) != 0))
            return u"cannot hand the runtime folder to nobody"_s;

        QProcessEnvironment environment;
        environment.insert(u"PATH"_s, qEnvironmentVariable("PATH"));
        environment.insert(u"HOME"_s, m_dir.path());
        environment.insert(u"XDG_RUNTIME_DIR"_s, m_dir.path());
        environment.insert(u"WLR_BACKENDS"_s, u"headless"_s);
        environment.insert(u"WLR_LIBINPUT_NO_DEVICES"_s, u"1"_s);
        environment.insert(u"WLR_RENDERER"_s, u"pixman"_s);
        m_process = test::childProcess(SIGTERM);
        m_process->setProcessEnvironment(environment);
        m_process->setStandardOutputFile(QProcess::nullDevice());
        m_process->setStandardErrorFile(m_dir.filePath(u"sway.log"_s));
        const QStringList arguments{u"-c"_s, config};
        // (Changing the user clears the signal the test's end sends: it is
        // set again.)
        if (root)
            m_process->start(u"setpriv"_s, QStringList{u"--reuid=65534"_s, u"--regid=65534"_s, u"--clear-groups"_s,
                                                       u"--pdeathsig=TERM"_s, sway} +
                                               arguments);
        else
            m_process->start(sway, arguments);

        const bool up = spinUntil(
            [&] {
                const QDir dir(m_dir.path());
                const QStringList displays =
                    dir.entryList({u"wayland-*"_s}, QDir::Files | QDir::System).filter(u".lock"_s);
                const QStringList sockets = dir.entryList({u"sway-ipc.*.sock"_s}, QDir::System);
                if (!displays.isEmpty() && !sockets.isEmpty()) {
                    m_display = dir.filePath(displays.constFirst().chopped(5));
                    m_ipc = dir.filePath(sockets.constFirst());
                }
                return !m_ipc.isEmpty() || m_process->state() == QProcess::NotRunning;
            },
            std::chrono::milliseconds(startLimitMs));
        if (up && !m_ipc.isEmpty() && swaymsg({u"-t"_s, u"get_version"_s}))
            return {};
        return u"sway did not start: "_s + QString::fromUtf8(test::readFile(m_dir.filePath(u"sway.log"_s)).right(600));
    }

    ~HeadlessSway() { test::stopChild(m_process); }

    QString display() const { return m_display; }

    // Runs swaymsg against this sway; its output, or nothing when it failed.
    std::optional<QByteArray> swaymsg(const QStringList &arguments) const
    {
        QProcess message;
        message.start(u"swaymsg"_s, QStringList{u"-s"_s, m_ipc, u"-r"_s} + arguments);
        if (!message.waitForFinished(10'000) || message.exitCode() != 0)
            return std::nullopt;
        return message.readAllStandardOutput();
    }

    // Pelorin's windows on screen now.
    QList<View> views() const
    {
        QList<View> found;
        if (const auto tree = swaymsg({u"-t"_s, u"get_tree"_s}))
            collect(QJsonDocument::fromJson(*tree).object(), found);
        return found;
    }

    bool waitForViews(const std::function<bool(const QList<View> &)> &done) const
    {
        return spinUntil([&] { return done(views()); }, std::chrono::milliseconds(startLimitMs));
    }

private:
    static constexpr uid_t nobody = 65534;

    static void collect(const QJsonObject &node, QList<View> &found)
    {
        if (node.value(u"app_id"_s).toString() == appId)
            found.append({node.value(u"name"_s).toString(), node.value(u"focused"_s).toBool()});
        for (const QString &children : {u"nodes"_s, u"floating_nodes"_s}) {
            for (const QJsonValue &child : node.value(children).toArray())
                collect(child.toObject(), found);
        }
    }

    QTemporaryDir m_dir;
    std::unique_ptr<QProcess> m_process;
    QString m_display;
    QString m_ipc;
};

bool shows(const QList<View> &views, const QString &title)
{
    return std::ranges::any_of(views, [&](const View &v) { return v.title == title; });
}

class WaylandSessionTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (const QString why = HeadlessSway::missing(); !why.isEmpty())
            GTEST_SKIP() << "No Wayland compositor, so Pelorin was not tried on one: " << why.toStdString();
        const QString why = sway.start();
        ASSERT_TRUE(why.isEmpty()) << why.toStdString();
        ASSERT_TRUE(bus.isValid());
        ASSERT_TRUE(bus.startServices(Kind::session, {gnomeSession}));
        ASSERT_TRUE(bus.startServices(Kind::system, {logind}));
        ASSERT_TRUE(test::writeFile(home.filePath(u"config/Pelorin/Pelorin.conf"_s), "[General]\nseenWelcome=true\n"));
    }

    std::unique_ptr<QProcess> run(const QStringList &arguments = {}) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"QT_QPA_PLATFORM"_s, u"wayland"_s);
        // Widgets draw into shared memory either way; without the OpenGL
        // buffer integration Mesa's driver is not loaded, and so not unloaded
        // at exit with an allocation LeakSanitizer cannot place.
        environment.insert(u"QT_WAYLAND_CLIENT_BUFFER_INTEGRATION"_s, u"none"_s);
        // Qt's Wayland platform leaves its protocol objects to the end of
        // the process.
        environment.insert(u"LSAN_OPTIONS"_s, u"suppressions=" PELORIN_LSAN_SUPPRESSIONS ":print_suppressions=0"_s);
        environment.insert(u"WAYLAND_DISPLAY"_s, sway.display());
        environment.remove(u"DISPLAY"_s);
        environment.insert(u"HOME"_s, home.path());
        environment.insert(u"XDG_CONFIG_HOME"_s, home.filePath(u"config"_s));
        environment.insert(u"XDG_RUNTIME_DIR"_s, home.path());
        environment.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, bus.address(Kind::session));
        environment.insert(u"DBUS_SYSTEM_BUS_ADDRESS"_s, bus.address(Kind::system));
        auto program = test::childProcess();
        program->setProcessEnvironment(environment);
        program->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program->start(QStringLiteral(PELORIN_PROGRAM), arguments);
        EXPECT_TRUE(program->waitForStarted(startLimitMs));
        return program;
    }

    // A later copy hands over to the running one and leaves.
    void handOver(const QStringList &arguments) const
    {
        const auto later = run(arguments);
        EXPECT_TRUE(
            spinUntil([&] { return later->state() == QProcess::NotRunning; }, std::chrono::milliseconds(startLimitMs)));
        EXPECT_EQ(later->exitCode(), 0);
    }

    bool ends(QProcess &program) const
    {
        return spinUntil([&] { return program.state() == QProcess::NotRunning; },
                         std::chrono::milliseconds(startLimitMs));
    }

    HeadlessSway sway;
    test::TestBus bus;
    QTemporaryDir home;
};

// With no tray the panel is a window; a window of Pelorin's opened again
// comes to the front (sway would only mark it urgent); closing another
// window leaves Pelorin running, and the compositor's close of the panel
// window ends it, with status 0 and no lock held.
TEST_F(WaylandSessionTest, WithoutATrayTheWindowComesForwardAndTheCompositorsCloseQuits)
{
    const auto pelorin = run();
    ASSERT_TRUE(sway.waitForViews([](const QList<View> &v) { return shows(v, u"Pelorin"_s); }));
    ASSERT_TRUE(bus.services(Kind::system).waitForLockCount(1, std::chrono::milliseconds(startLimitMs)));

    handOver({u"--welcome"_s});
    ASSERT_TRUE(sway.waitForViews([](const QList<View> &v) { return shows(v, u"Getting Started"_s); }));
    ASSERT_TRUE(sway.swaymsg({u"[app_id=\"%1\" title=\"^Pelorin$\"] focus"_s.arg(appId)}));
    ASSERT_TRUE(sway.waitForViews([](const QList<View> &v) {
        return std::ranges::any_of(v, [](const View &view) { return view.focused && view.title == u"Pelorin"_s; });
    }));
    handOver({u"--welcome"_s});
    EXPECT_TRUE(sway.waitForViews([](const QList<View> &v) {
        return std::ranges::any_of(v,
                                   [](const View &view) { return view.focused && view.title == u"Getting Started"_s; });
    })) << "the welcome window opened again did not come forward";

    ASSERT_TRUE(sway.swaymsg({u"[app_id=\"%1\" title=\"^Getting Started$\"] kill"_s.arg(appId)}));
    ASSERT_TRUE(sway.waitForViews([](const QList<View> &v) { return !shows(v, u"Getting Started"_s); }));
    // Still the running copy: one quitting would have let a later one take
    // over.
    handOver({});
    EXPECT_EQ(pelorin->state(), QProcess::Running);

    ASSERT_TRUE(sway.swaymsg({u"[app_id=\"%1\"] kill"_s.arg(appId)}));
    ASSERT_TRUE(ends(*pelorin)) << "the compositor's close left Pelorin running";
    EXPECT_EQ(pelorin->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(pelorin->exitCode(), 0);
    EXPECT_TRUE(bus.services(Kind::system).waitForLockCount(0));
}

// A tray watcher that comes after Pelorin and refuses its item leaves the
// window; once a host registers anew and the item is taken, the window goes
// and stays away; the item's Activate opens the panel. When the watcher goes
// and stays away the window comes back.
TEST_F(WaylandSessionTest, ATrayWatcherThatComesGoesAndComesBackGetsTheItem)
{
    const auto pelorin = run();
    ASSERT_TRUE(sway.waitForViews([](const QList<View> &v) { return shows(v, u"Pelorin"_s); }));
    const test::TestServicesClient services = bus.services(Kind::session);

    services.setBehaviour(trayWatcher, u"RegisterStatusNotifierItem"_s, u"deny"_s);
    services.setOwned(trayWatcher, true);
    ASSERT_TRUE(sway.waitForViews([](const QList<View> &v) { return v.isEmpty(); }));
    ASSERT_TRUE(sway.waitForViews([](const QList<View> &v) { return shows(v, u"Pelorin"_s); }))
        << "no window once the tray had refused the item";
    services.setBehaviour(trayWatcher, u"RegisterStatusNotifierItem"_s, u"reply"_s);
    services.setTrayHost(true);
    ASSERT_TRUE(spinUntil([&] { return !services.trayItems().isEmpty(); }, std::chrono::milliseconds(startLimitMs)));
    ASSERT_TRUE(sway.waitForViews([](const QList<View> &v) { return v.isEmpty(); })) << "the window stayed";
    spinFor(MenuBarExtra::itemLimit + 1s);
    ASSERT_TRUE(sway.views().isEmpty()) << "Pelorin did not see its item listed";

    const auto activate = [&] {
        QDBusMessage call = QDBusMessage::createMethodCall(services.trayItems().value(0), u"/StatusNotifierItem"_s,
                                                           u"org.kde.StatusNotifierItem"_s, u"Activate"_s);
        call << 0 << 0;
        return bus.connection(Kind::session).call(call, QDBus::Block, 5000).type() == QDBusMessage::ReplyMessage;
    };
    ASSERT_TRUE(activate());
    ASSERT_TRUE(sway.waitForViews([](const QList<View> &v) { return shows(v, u"Pelorin"_s); }));
    ASSERT_TRUE(activate());
    ASSERT_TRUE(sway.waitForViews([](const QList<View> &v) { return v.isEmpty(); }));

    services.setOwned(trayWatcher, false);
    EXPECT_TRUE(sway.waitForViews([](const QList<View> &v) { return shows(v, u"Pelorin"_s); }))
        << "no window once the tray had gone";
    EXPECT_EQ(pelorin->state(), QProcess::Running);
}

} // namespace
