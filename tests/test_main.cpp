// The one main of every test program.
#include <QApplication>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

namespace {

// Runs what a test left queued (coroutines that resume after their context
// went, deferred deletions) before the next test begins, so that nothing of
// one test runs inside another.
class FinishPendingWork : public testing::EmptyTestEventListener {
    void OnTestEnd(const testing::TestInfo &) override
    {
        for (int i = 0; i < 8; ++i) {
            QCoreApplication::sendPostedEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QCoreApplication::processEvents();
        }
    }
};

} // namespace

// The sanitizers' settings, built into every test program so that they hold
// however it is started: by ctest, one test or the whole program at a time,
// or by hand. (The functions are read only in a sanitized build.)
extern "C" const char *__asan_default_options()
{
    return "detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=0";
}
extern "C" const char *__lsan_default_options()
{
    // One-time allocations of system libraries that live until exit.
    return "suppressions=" PELORIN_LSAN_SUPPRESSIONS ":print_suppressions=0";
}
extern "C" const char *__ubsan_default_options()
{
    return "print_stacktrace=1:halt_on_error=1";
}

int main(int argc, char **argv)
{
    // Decided before any Qt object exists.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_HASH_SEED", "0");
    qputenv("LC_ALL", "C.UTF-8");
    qputenv("LANG", "en_US.UTF-8");
    qputenv("TZ", "UTC");
    std::setlocale(LC_ALL, "C.UTF-8");

    // A private home: settings, autostart entries and caches land here, and
    // the machine's own buses are out of reach unless a test starts its own.
    QTemporaryDir home;
    if (!home.isValid())
        return 2;
    const QByteArray homePath = home.path().toUtf8();
    qputenv("HOME", homePath);
    qputenv("XDG_CONFIG_HOME", homePath + "/.config");
    qputenv("XDG_DATA_HOME", homePath + "/.local/share");
    qputenv("XDG_CACHE_HOME", homePath + "/.cache");
    qputenv("XDG_STATE_HOME", homePath + "/.local/state");
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + homePath + "/no-session-bus");
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + homePath + "/no-system-bus");
    qunsetenv("XDG_CURRENT_DESKTOP");
    qunsetenv("DISPLAY");
    qunsetenv("WAYLAND_DISPLAY");

    QApplication app(argc, argv);
    // The offscreen platform warns on every show that it cannot raise windows
    // or pass size hints on; that is all it has to say.
    static const QtMessageHandler platformHandler =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &context, const QString &message) {
            if (!message.startsWith(QLatin1String("This plugin does not support")))
                platformHandler(type, context, message);
        });
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new FinishPendingWork);
    return RUN_ALL_TESTS();
}
