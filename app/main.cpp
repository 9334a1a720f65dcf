#include "pelorin_app.h"
#include "regular_file.h"
#include "translations.h"

#include <QApplication>
#include <QIcon>
#include <QLocale>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

bool isPlatformOption(const char *argument)
{
    return std::strcmp(argument, "-platform") == 0 || std::strcmp(argument, "--platform") == 0;
}

// The platforms Qt is asked to try: "-platform NAME" on the command line,
// else QT_QPA_PLATFORM (a list separated by ';'); empty for Qt's default.
QStringList requestedPlatforms(int argc, char **argv)
{
    QString requested = qEnvironmentVariable("QT_QPA_PLATFORM");
    for (int i = 1; i + 1 < argc; ++i) {
        if (isPlatformOption(argv[i]))
            requested = QString::fromLocal8Bit(argv[i + 1]);
    }
    return requested.split(u';', Qt::SkipEmptyParts);
}

// Whether every platform Qt would try shows windows on a desktop (X11 or
// Wayland), so that without either display Qt could only abort.
bool needsDesktop(const QStringList &platforms)
{
    for (const QString &platform : platforms) {
        if (!platform.startsWith(QLatin1String("xcb")) && !platform.startsWith(QLatin1String("wayland")))
            return false;
    }
    return true;
}

// Whether Qt may show windows through X11: the first platform asked for is
// X11's, or none is asked for and there is an X display to choose.
bool mayUseX11(const QStringList &platforms)
{
    if (!platforms.isEmpty())
        return platforms.first().startsWith(QLatin1String("xcb"));
    return !qEnvironmentVariableIsEmpty("DISPLAY");
}

} // namespace

int main(int argc, char **argv)
{
    // Arguments keep every byte, so a file name that is not UTF-8 is written
    // under the name given.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(orbel::RegularFile::decodeName(argv[i]));

    // What Qt is given: a snapshot run drops any platform asked for.
    std::vector<char *> qtArguments(argv, argv + argc);
    if (pelorin::PelorinApp::isSnapshotOrValidationRun(arguments)) {
        // Snapshot and validation runs need no display and show no window,
        // whatever platform the command line or the environment asks for.
        qtArguments.clear();
        for (int i = 0; i < argc; ++i) {
            if (isPlatformOption(argv[i]) && i + 1 < argc)
                ++i;
            else
                qtArguments.push_back(argv[i]);
        }
        qputenv("QT_QPA_PLATFORM", "offscreen");
        // Standard error carries the run's own messages only; Qt's notes
        // about the environment (a missing runtime folder, say) stay out.
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &message) {
            if (type == QtCriticalMsg || type == QtFatalMsg)
                std::fprintf(stderr, "%s\n", qUtf8Printable(message));
        });
    } else if (needsDesktop(requestedPlatforms(argc, argv)) && qEnvironmentVariableIsEmpty("DISPLAY") &&
               qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        std::fputs("Pelorin needs a desktop session: neither DISPLAY nor WAYLAND_DISPLAY is set.\n", stderr);
        return 1;
    }
    int qtArgc = static_cast<int>(qtArguments.size());
    qtArguments.push_back(nullptr);

    // A display that is named but cannot be reached makes Qt give up with a
    // fatal message, which would abort the process: it ends with status 1
    // instead.
    static QtMessageHandler previousHandler = nullptr;
    previousHandler =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &context, const QString &text) {
            if (type != QtFatalMsg) {
                previousHandler(type, context, text);
                return;
            }
            std::fprintf(stderr, "Pelorin could not open a window on this desktop: %s\n", qUtf8Printable(text));
            std::fflush(stderr);
            std::_Exit(1);
        });
    // Qt's X11 back-end waits for the X server to take each frame it hands
    // over in shared memory before it paints the next one: a round trip and a
    // wake-up per frame of the count-down's flips. The panel's small frames
    // cost less sent in the request itself. Qt reads the setting when it
    // connects to the X server; the programs Pelorin starts never see it.
    const bool noSharedMemory =
        mayUseX11(requestedPlatforms(argc, argv)) && !qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM");
    if (noSharedMemory)
        qputenv("QT_XCB_NO_MITSHM", "1");

    QApplication application(qtArgc, qtArguments.data());
    qInstallMessageHandler(previousHandler);
    if (noSharedMemory)
        qunsetenv("QT_XCB_NO_MITSHM");

    QApplication::setApplicationName(QStringLiteral("Pelorin"));
    QApplication::setApplicationVersion(QStringLiteral(PELORIN_VERSION));
    QApplication::setDesktopFileName(QStringLiteral(PELORIN_APP_ID));
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral(PELORIN_APP_ID), QIcon(QStringLiteral(":/" PELORIN_APP_ID ".svg"))));
    pelorin::installTranslations(QLocale::system().name());

    pelorin::PelorinApp app(pelorin::PelorinApp::desktopEnvironment(arguments));
    app.launchSoon();
    return QApplication::exec();
}
