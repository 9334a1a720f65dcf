#include "pelorin_app.h"
#include "regular_file.h"
#include "translations.h"

#include <QApplication>
#include <QIcon>
#include <QLocale>

#include <cstdio>

int main(int argc, char **argv)
{
    // Arguments keep every byte, so a file name that is not UTF-8 is written
    // under the name given.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(orbel::RegularFile::decodeName(argv[i]));
    // Snapshot and validation runs need no display and show no window.
    if (pelorin::PelorinApp::isSnapshotOrValidationRun(arguments)) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        // Standard error carries the run's own messages only; Qt's notes
        // about the environment (a missing runtime folder, say) stay out.
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &message) {
            if (type == QtCriticalMsg || type == QtFatalMsg)
                std::fprintf(stderr, "%s\n", qUtf8Printable(message));
        });
    }

    // Qt's X11 back-end waits for the X server to take each frame it hands
    // over in shared memory before it paints the next one: a round trip and a
    // wake-up per frame of the count-down's flips. The panel's small frames
    // cost less sent in the request itself.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");

    QApplication application(argc, argv);
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
