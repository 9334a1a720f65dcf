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

class WindowsLaunchTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bus.isValid());
        ASSERT_TRUE(bus.startServices(Kind::session, {gnomeSession}));
        ASSERT_TRUE(bus.startServices(Kind::system, {logind}));
    }

    // Ends the program of a previous launch, as a real one would, then builds
    // the program with these arguments and waits until its launch is done.
    void launch(const QStringList &arguments = {QStringLiteral("pelorin")})
    {
        shell.app.reset();
        spinFor(std::chrono::milliseconds(20));
        PelorinApp &app = shell.build(shell.environment(arguments));
        bool launched = false;
        QObject::connect(&app.delegate(), &PelorinApplicationDelegate::launched, [&launched] { launched = true; });
        app.launchSoon();
        EXPECT_TRUE(spinUntil([&] { return launched; }));
        windowstest::settle();
    }

    test::TestBus bus;
    ShellHarness shell{bus};
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
