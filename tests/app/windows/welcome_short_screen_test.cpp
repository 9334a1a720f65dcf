// The welcome window on a screen too short for its page (see
// tests/kit/small_screen.json: 1024 x 600, so a window is at most 536 high):
// the upper half scrolls and the switch and "Let’s go" stay in view.
#include "windows_test_support.h"

#include "orbel_switch.h"
#include "preferences_toggle_row.h"
#include "welcome_button.h"
#include "welcome_steps_layout.h"

#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>

#include <gtest/gtest.h>

using namespace pelorin;
using namespace pelorin::windowstest;

namespace {

constexpr int tallestWindow = 600 - 64;

class WelcomeShortScreenTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { quietPlatformWarnings(); }

    void SetUp() override
    {
        ASSERT_EQ(QGuiApplication::primaryScreen()->availableGeometry().height(), 600)
            << "run with -platform offscreen:configfile=small_screen.json";
    }
};

} // namespace

TEST_F(WelcomeShortScreenTest, TheUpperHalfScrollsAndTheButtonsStayInView)
{
    for (const orbel::TextSize size : {orbel::TextSize::Large, orbel::TextSize::Accessibility5}) {
        SCOPED_TRACE(size == orbel::TextSize::Large ? "large" : "accessibility5");
        WindowsModel fixture;
        WelcomeView *view = showWelcomeAt(*fixture.model, size);
        ASSERT_NE(view, nullptr);
        orbel::WelcomeStepsLayout *page = view->page();
        QWidget *window = view->window();

        // It asked for more than the screen has and got the most it allows.
        ASSERT_GT(page->idealHeight(), tallestWindow);
        EXPECT_EQ(window->size(), QSize(560, tallestWindow));
        EXPECT_EQ(page->arrangement(), orbel::WelcomeStepsLayout::Arrangement::Scrolling);
        EXPECT_EQ(geometryIn(page, window), window->rect());

        // The switch and "Let’s go" are wholly inside the window, above its
        // bottom margin.
        const QRect inside = window->rect().adjusted(0, 0, 0, -32);
        EXPECT_TRUE(inside.contains(geometryIn(page->loginRow()->toggle(), window)));
        EXPECT_TRUE(inside.contains(geometryIn(page->primaryButton(), window)));

        // Only the upper half scrolls; the lower one stays where it is.
        QScrollBar *bar = page->scrollArea()->verticalScrollBar();
        EXPECT_TRUE(bar->isVisible());
        EXPECT_GT(bar->maximum(), 0);
        const QRect button = geometryIn(page->primaryButton(), window);
        bar->setValue(bar->maximum());
        settle();
        EXPECT_EQ(geometryIn(page->primaryButton(), window), button);

        // Return still reaches "Let’s go", which closes the window.
        ASSERT_TRUE(activate(window));
        QTest::keyClick(window, Qt::Key_Return);
        EXPECT_FALSE(window->isVisible());
    }
}
