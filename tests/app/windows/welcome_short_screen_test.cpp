// The welcome window on a screen too short for its page (see
// tests/kit/small_screen.json: 1024 x 600): the upper half scrolls and the
// switch and "Let’s go" stay in view; Return and a click on "Let’s go" close
// the window and change nothing else.
#include "windows_test_support.h"

#include "test_files.h"

#include "orbel_switch.h"
#include "preferences_toggle_row.h"
#include "welcome_button.h"
#include "welcome_steps_layout.h"

#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>

using namespace pelorin;
using namespace pelorin::windowstest;

TEST(WelcomeShortScreen, TheUpperHalfScrollsAndTheButtonsStayInView)
{
    ASSERT_EQ(QGuiApplication::primaryScreen()->availableGeometry().height(), 600)
        << "run with -platform offscreen:configfile=small_screen.json";
    for (const orbel::TextSize size : {orbel::TextSize::Large, orbel::TextSize::Accessibility5}) {
        SCOPED_TRACE(int(size));
        WindowsModel fixture;
        showWelcome(*fixture.model);
        settle();
        WelcomeView *view = shownView<WelcomeView>();
        ASSERT_NE(view, nullptr);
        orbel::OrbelEnvironment environment = view->environment();
        environment.textSize = size;
        view->setEnvironment(environment);
        settle();
        orbel::WelcomeStepsLayout *page = view->page();
        QWidget *window = view->window();

        // It asked for more than the screen has and got all the height it
        // allows.
        ASSERT_GT(page->idealHeight(), window->height());
        EXPECT_EQ(page->arrangement(), orbel::WelcomeStepsLayout::Arrangement::Scrolling);
        EXPECT_EQ(geometryIn(page, window), window->rect());

        // The switch and "Let’s go" are wholly inside the window.
        EXPECT_TRUE(window->rect().contains(geometryIn(page->loginRow()->toggle(), window)));
        EXPECT_TRUE(window->rect().contains(geometryIn(page->primaryButton(), window)));

        // Only the upper half scrolls; the lower one stays where it is.
        QScrollBar *bar = page->scrollArea()->verticalScrollBar();
        EXPECT_GT(bar->maximum(), 0);
        const QRect button = geometryIn(page->primaryButton(), window);
        bar->setValue(bar->maximum());
        settle();
        EXPECT_EQ(geometryIn(page->primaryButton(), window), button);

        // Return reaches "Let’s go" whatever holds the focus, which closes
        // the window; opened again, the same window comes back, and a click
        // on "Let’s go" closes it too.
        const QByteArray settings = test::readFile(fixture.settingsPath());
        ASSERT_TRUE(settings.contains("seenWelcome=true"));
        ASSERT_TRUE(activate(window));
        page->loginRow()->toggle()->setFocus(Qt::TabFocusReason);
        QTest::keyClick(window, Qt::Key_Return);
        EXPECT_FALSE(window->isVisible());
        showWelcome(*fixture.model);
        settle();
        ASSERT_EQ(shownView<WelcomeView>(), view);
        ASSERT_TRUE(activate(window));
        click(page->primaryButton());
        EXPECT_FALSE(window->isVisible());
        EXPECT_EQ(test::readFile(fixture.settingsPath()), settings);
        EXPECT_TRUE(fixture.login->requests.isEmpty());
        EXPECT_TRUE(fixture.preferences().armed());
        EXPECT_TRUE(fixture.service->calls.empty());
        EXPECT_EQ(builtWindows<WelcomeView>(), 1) << "the window is kept for next time";
    }
}
