// How big the two windows are on a screen with room for them (see
// tall_screen.json: 1920 x 1200): each is 560 wide and exactly as tall as its
// page asks, in the window host's steps of 4, up to 64 less than the screen.
#include "windows_test_support.h"

#include "fixed_window.h"
#include "orbel_switch.h"
#include "preferences_row.h"
#include "welcome_steps_button.h"
#include "welcome_steps_layout.h"

#include <QApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QScreen>

#include <gtest/gtest.h>

using namespace pelorin;
using namespace pelorin::windowstest;

namespace {

int roundedUpToFour(int height)
{
    return (height + 3) / 4 * 4;
}

class WindowSizesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { quietPlatformWarnings(); }

    void SetUp() override
    {
        ASSERT_EQ(QGuiApplication::primaryScreen()->availableGeometry().height(), 1200)
            << "run with -platform offscreen:configfile=tall_screen.json";
        // The program's own icon in the headings, as the program sets it.
        m_icon = QApplication::windowIcon();
        QApplication::setWindowIcon(QIcon(u":/" PELORIN_APP_ID ".svg"_s));
    }
    void TearDown() override { QApplication::setWindowIcon(m_icon); }

private:
    QIcon m_icon;
};

} // namespace

TEST_F(WindowSizesTest, TheWelcomeWindowTakesTheIdealSizeItsPageReports)
{
    for (const orbel::TextSize size : {orbel::TextSize::Large, orbel::TextSize::Accessibility5}) {
        SCOPED_TRACE(size == orbel::TextSize::Large ? "large" : "accessibility5");
        WindowsModel fixture;
        WelcomeView *view = showWelcomeAt(*fixture.model, size);
        ASSERT_NE(view, nullptr);
        orbel::WelcomeStepsLayout *page = view->page();
        QWidget *window = view->window();

        ASSERT_GT(page->stepHeight(), 0);
        ASSERT_GT(page->footerHeight(), 0);
        EXPECT_EQ(page->idealHeight(), page->stepHeight() + 80 + 32 + page->footerHeight());
        EXPECT_EQ(window->width(), 560);
        if (page->idealHeight() <= 1200 - 64) {
            EXPECT_EQ(window->height(), roundedUpToFour(page->idealHeight()));
            EXPECT_EQ(page->arrangement(), orbel::WelcomeStepsLayout::Arrangement::Plain);
        } else {
            EXPECT_EQ(window->height(), 1200 - 64);
            EXPECT_EQ(page->arrangement(), orbel::WelcomeStepsLayout::Arrangement::Scrolling);
        }
        // The page fills the window, whatever its size.
        EXPECT_EQ(geometryIn(view, window), window->rect());
        EXPECT_EQ(geometryIn(page, window), window->rect());
        EXPECT_TRUE(window->rect().contains(geometryIn(page->primaryButton(), window)));
        saveToGallery(render(window, 2.0), size == orbel::TextSize::Large ? u"welcome-window-light"_s
                                                                          : u"welcome-window-light-accessibility5"_s);
    }
}

TEST_F(WindowSizesTest, ThePreferencesWindowIsAsTallAsItsPage)
{
    WindowsModel fixture;
    fixture.setLoginState(LoginItemState::requiresApproval);
    showPreferences(*fixture.model);
    settle();
    PreferencesView *view = shownView<PreferencesView>();
    ASSERT_NE(view, nullptr);
    QWidget *window = view->window();
    EXPECT_EQ(window->size(), QSize(560, view->heightForWidth(560)));
    EXPECT_EQ(view->heightForWidth(560) % 4, 0);
    EXPECT_EQ(geometryIn(view, window), window->rect());
    saveToGallery(render(window, 2.0), u"preferences-window-approval-light"_s);

    // The largest text: taller than the screen allows, so the window takes
    // what it can and the page scrolls inside it at its full height.
    const int plain = window->height();
    orbel::OrbelEnvironment environment = view->environment();
    environment.textSize = orbel::TextSize::Accessibility5;
    view->setEnvironment(environment);
    settle();
    ASSERT_GT(view->heightForWidth(560), 1200 - 64);
    EXPECT_EQ(window->size(), QSize(560, 1200 - 64));
    EXPECT_EQ(view->size(), QSize(560, view->heightForWidth(560)));
    saveToGallery(render(window, 2.0), u"preferences-window-light-accessibility5"_s);

    // Back to the everyday size: back to the first size.
    environment.textSize = orbel::TextSize::Large;
    view->setEnvironment(environment);
    settle();
    EXPECT_EQ(window->height(), plain);
    EXPECT_EQ(geometryIn(view, window), window->rect());
}
