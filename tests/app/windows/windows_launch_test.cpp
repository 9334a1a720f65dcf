// The windows in the whole program, built in this process over private test
// buses: the welcome window at launch, and the panel footer's "Getting
// Started" and "Preferences".
#include "windows_test_support.h"

#include "test_files.h"

#include "app/shell/shell_test_support.h"
#include "menu_bar_extra.h"
#include "menu_view.h"
#include "orbel_panel.h"
#include "panel_footer.h"
#include "panel_footer_button.h"
#include "panel_host.h"
#include "welcome_steps_button.h"
#include "welcome_steps_layout.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace pelorin;
using namespace pelorin::shelltest;
using pelorin::windowstest::builtWindows;
using pelorin::windowstest::shownView;
using namespace Qt::StringLiterals;

namespace {

using pelorin::test::readFile;
using pelorin::test::writeFile;

// Records, the moment a welcome window shows, whether the settings file
// already says that the welcome has been seen.
class WelcomeShows : public QObject {
public:
    explicit WelcomeShows(QString settingsPath) : m_settingsPath(std::move(settingsPath))
    {
        qApp->installEventFilter(this);
    }
    ~WelcomeShows() override { qApp->removeEventFilter(this); }

    int shows = 0;
    bool persistedBeforeEachShow = true;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show) {
            auto *widget = qobject_cast<QWidget *>(watched);
            if (widget && widget->isWindow() && widget->findChild<WelcomeView *>()) {
                ++shows;
                persistedBeforeEachShow =
                    persistedBeforeEachShow && readFile(m_settingsPath).contains("seenWelcome=true");
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QString m_settingsPath;
};

class WindowsLaunchTest : public testing::Test {
protected:
    static void SetUpTestSuite() { windowstest::quietPlatformWarnings(); }

    void SetUp() override
    {
        ASSERT_TRUE(bus.isValid());
        ASSERT_TRUE(bus.startServices(Kind::session, {gnomeSession}));
        ASSERT_TRUE(bus.startServices(Kind::system, {logind}));
    }

    // Builds the program with these arguments, launches it and waits until
    // the launch is complete (the model runs, the welcome route has run).
    PelorinApp &launch(const QStringList &arguments = {QStringLiteral("pelorin")})
    {
        // The program of a previous launch ends first, as a real one would.
        shell.app.reset();
        spinFor(std::chrono::milliseconds(20));
        PelorinApp &app = shell.build(shell.environment(arguments));
        bool launched = false;
        const auto connection =
            QObject::connect(&app.delegate(), &PelorinApplicationDelegate::launched, [&launched] { launched = true; });
        app.launchSoon();
        EXPECT_TRUE(spinUntil([&] { return launched; }));
        QObject::disconnect(connection);
        windowstest::settle();
        return app;
    }

    MenuView *panelContent() const
    {
        PanelHost *host = shell.app->menuBarExtra()->panel();
        return host ? qobject_cast<MenuView *>(host->content()) : nullptr;
    }

    test::TestBus bus;
    ShellHarness shell{bus};
};

} // namespace

TEST_F(WindowsLaunchTest, AFirstLaunchOpensTheWelcomeASecondDoesNotAndWelcomeAsksForIt)
{
    WelcomeShows watch(shell.settingsPath());

    PelorinApp &first = launch();
    EXPECT_TRUE(first.model().preferences().hasSeenWelcome());
    WelcomeView *welcome = shownView<WelcomeView>();
    ASSERT_NE(welcome, nullptr);
    EXPECT_EQ(welcome->window()->windowTitle(), u"Getting Started"_s);
    EXPECT_EQ(watch.shows, 1);
    EXPECT_TRUE(watch.persistedBeforeEachShow) << "\"seenWelcome\" is on disk before the window shows";
    EXPECT_TRUE(readFile(shell.settingsPath()).contains("seenWelcome=true"));

    // The second launch reads the mark and opens nothing.
    PelorinApp &second = launch();
    EXPECT_TRUE(second.model().preferences().hasSeenWelcome());
    EXPECT_EQ(shownView<WelcomeView>(), nullptr);
    EXPECT_EQ(watch.shows, 1);

    // "--welcome" opens it anyway.
    launch({QStringLiteral("pelorin"), QStringLiteral("--welcome")});
    EXPECT_NE(shownView<WelcomeView>(), nullptr);
    EXPECT_EQ(watch.shows, 2);
    EXPECT_TRUE(watch.persistedBeforeEachShow);
    EXPECT_EQ(builtWindows<WelcomeView>(), 1) << "the window of an ended program went with it";
}
