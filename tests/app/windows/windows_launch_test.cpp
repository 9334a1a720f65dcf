// The welcome window in the whole program, built in this process over
// private test buses: shown at the first launch only, or when asked for.
#include "windows_test_support.h"

#include "test_files.h"

#include "app/shell/shell_test_support.h"

using namespace pelorin;
using namespace pelorin::shelltest;
using pelorin::windowstest::builtWindows;
using pelorin::windowstest::shownView;

namespace {

// Counts the welcome windows shown, and whether the settings file already
// said that the welcome had been seen each time one showed.
struct WelcomeShows : QObject {
    explicit WelcomeShows(QString path) : settingsPath(std::move(path)) { qApp->installEventFilter(this); }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (event->type() == QEvent::Show && widget && widget->isWindow() && widget->findChild<WelcomeView *>()) {
            ++shows;
            persistedBeforeEachShow &= test::readFile(settingsPath).contains("seenWelcome=true");
        }
        return false;
    }

    QString settingsPath;
    int shows = 0;
    bool persistedBeforeEachShow = true;
};

class WindowsLaunchTest : public ShellFixture {
protected:
    // Launches the program with these arguments, after ending the previous
    // launch's, and lets its windows settle.
    void launch(const QStringList &arguments = {QStringLiteral("pelorin")})
    {
        shell.launch(true, arguments);
        windowstest::settle();
    }
};

} // namespace

TEST_F(WindowsLaunchTest, AFirstLaunchOpensTheWelcomeASecondDoesNotAndWelcomeAsksForIt)
{
    WelcomeShows watch(shell.settingsPath());

    launch();
    EXPECT_NE(shownView<WelcomeView>(), nullptr);
    EXPECT_EQ(watch.shows, 1);
    EXPECT_TRUE(watch.persistedBeforeEachShow) << "\"seenWelcome\" is on disk before the window shows";

    // The second launch reads the mark and opens nothing.
    launch();
    EXPECT_EQ(shownView<WelcomeView>(), nullptr);
    EXPECT_EQ(watch.shows, 1);

    // "--welcome" opens it anyway.
    launch({QStringLiteral("pelorin"), QStringLiteral("--welcome")});
    EXPECT_NE(shownView<WelcomeView>(), nullptr);
    EXPECT_EQ(watch.shows, 2);
    EXPECT_TRUE(watch.persistedBeforeEachShow);
    EXPECT_EQ(builtWindows<WelcomeView>(), 1) << "the window of an ended program went with it";
}
