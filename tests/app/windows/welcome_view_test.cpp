// The welcome window's content and its route: one step, the switch shared
// with the preferences window, and "Let’s go", Return and Ctrl+W, which close
// the window and change nothing else.
#include "windows_test_support.h"

#include "test_files.h"

#include "app_brand.h"
#include "brand_palette.h"
#include "orbel_font.h"
#include "orbel_switch.h"
#include "preferences_header.h"
#include "preferences_row.h"
#include "text_label.h"
#include "welcome_steps_button.h"
#include "welcome_steps_layout.h"

#include <QAccessible>
#include <QFile>

#include <gtest/gtest.h>

using namespace pelorin;
using namespace pelorin::windowstest;

namespace {

using pelorin::test::readFile;
using pelorin::test::writeFile;

// A bare welcome page with the given step number, to compare badges with.
QImage badgeOf(int step, const orbel::OrbelEnvironment &environment)
{
    orbel::WelcomeStepsLayout::Setup setup{.brand = appBrand()};
    setup.step = step;
    setup.opensAtLogin = {[] { return false; }, [](bool) {}};
    orbel::WelcomeStepsLayout page(std::move(setup), nullptr, environment);
    layOut(&page);
    render(&page);
    return render(page.badge()).convertToFormat(QImage::Format_ARGB32);
}

class WelcomeViewTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { quietPlatformWarnings(); }
};

} // namespace

TEST_F(WelcomeViewTest, OneStepWithBadgeOneAndNoLabelDotsSkipBackOrNote)
{
    WindowsModel fixture;
    const orbel::OrbelEnvironment environment;
    WelcomeView view(*fixture.model, environment);
    layOut(&view);
    render(&view);
    orbel::WelcomeStepsLayout *page = view.page();

    EXPECT_EQ(WelcomeView::title(), u"Getting Started"_s);
    EXPECT_EQ(page->header()->title(), u"Keep your Mac working"_s);
    EXPECT_TRUE(page->header()->showsIcon());
    EXPECT_EQ(page->leadLabel()->text(),
              u"Click a duration in the menu bar, and your Mac stays awake until it ends."_s);
    EXPECT_EQ(page->stepTitleLabel()->text(), u"You decide when it ends"_s);
    EXPECT_EQ(page->stepLabel(), nullptr);
    EXPECT_EQ(page->progressDots(), nullptr);
    EXPECT_EQ(page->skipButton(), nullptr);
    EXPECT_EQ(page->backButton(), nullptr);
    EXPECT_EQ(page->noteLabel(), nullptr);
    ASSERT_NE(page->primaryButton(), nullptr);
    EXPECT_EQ(page->primaryButton()->text(), u"Let\u2019s go"_s);
    EXPECT_TRUE(page->primaryButton()->isProminent());
    EXPECT_TRUE(page->primaryButton()->isEnabled());
    EXPECT_TRUE(page->primaryButton()->isDefault()) << "Return presses it";
    EXPECT_EQ(page->loginRow()->title(), u"Open at Login"_s);

    // The badge is the number 1, not a check and not another number.
    const QImage badge = render(page->badge()).convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(badge, badgeOf(1, environment));
    EXPECT_NE(badge, badgeOf(2, environment));

    // Three paragraphs: the first in the primary colour, the others in the
    // secondary one.
    const QList<orbel::TextLabel *> paragraphs = view.paragraphs();
    ASSERT_EQ(paragraphs.size(), 3);
    EXPECT_EQ(paragraphs[0]->text(), u"When time runs out, or you turn Pelorin off, macOS can sleep again. Other apps "
                                     "may still keep it awake."_s);
    EXPECT_EQ(paragraphs[1]->text(), u"Closing the lid, critical battery, or choosing Sleep can still put your Mac to "
                                     "sleep. Pelorin does not resume after sleep or reopening."_s);
    EXPECT_EQ(paragraphs[2]->text(), u"A timer does not know when another app has finished its work."_s);
    for (const orbel::ColorScheme scheme : {orbel::ColorScheme::Light, orbel::ColorScheme::Dark}) {
        orbel::OrbelEnvironment env;
        env.scheme = scheme;
        view.setEnvironment(env);
        EXPECT_EQ(paragraphs[0]->color(), orbel::BrandPalette::primary(scheme));
        EXPECT_EQ(paragraphs[1]->color(), orbel::BrandPalette::primary70(scheme));
        EXPECT_EQ(paragraphs[2]->color(), orbel::BrandPalette::primary70(scheme));
        EXPECT_EQ(paragraphs[0]->font(), orbel::orbelFont(orbel::OrbelFont::Support));
    }

    EXPECT_EQ(visibleTexts(&view),
              (QStringList{u"Keep your Mac working"_s,
                           u"Click a duration in the menu bar, and your Mac stays awake until it ends."_s,
                           u"You decide when it ends"_s, paragraphs[0]->text(), paragraphs[1]->text(),
                           paragraphs[2]->text(), u"No internet, no data collected"_s,
                           u"Your Mac, under your control"_s, u"Open at Login"_s, u"Let\u2019s go"_s}));
}

TEST_F(WelcomeViewTest, TheSwitchIsTheLoginItemAndStaysUsableWhileAChangeRuns)
{
    WindowsModel fixture;
    WelcomeView view(*fixture.model, orbel::OrbelEnvironment{});
    orbel::PreferencesToggleRow *row = view.page()->loginRow();
    EXPECT_FALSE(row->isOn());

    fixture.setLoginState(LoginItemState::requiresApproval);
    EXPECT_TRUE(row->isOn()) << "pending approval reads as on";

    fixture.holdAChange(false);
    EXPECT_TRUE(row->toggle()->isEnabled());
    // The preferences ignore a flip while the change runs.
    row->toggle()->click();
    EXPECT_EQ(fixture.login->requests, QList<bool>{false});
    fixture.release();
    EXPECT_FALSE(row->isOn());

    // A failed change: the switch snaps back.
    fixture.login->fail = true;
    row->toggle()->click();
    EXPECT_FALSE(row->isOn());
    EXPECT_TRUE(fixture.preferences().loginFailed());
}

TEST_F(WelcomeViewTest, EachWindowShowsTheOthersChange)
{
    WindowsModel fixture;
    showWelcome(*fixture.model);
    showPreferences(*fixture.model);
    settle();
    WelcomeView *welcome = shownView<WelcomeView>();
    PreferencesView *preferences = shownView<PreferencesView>();
    ASSERT_NE(welcome, nullptr);
    ASSERT_NE(preferences, nullptr);
    orbel::PreferencesToggleRow *welcomeRow = welcome->page()->loginRow();

    // Flipped by a screen reader's toggle action, the way a click flips it.
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(welcomeRow->toggle());
    ASSERT_TRUE(accessible && accessible->actionInterface());
    accessible->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    settle();
    EXPECT_EQ(fixture.login->requests, QList<bool>{true});
    EXPECT_TRUE(welcomeRow->isOn());
    EXPECT_TRUE(preferences->loginRow()->isOn());

    click(preferences->loginRow()->toggle());
    EXPECT_EQ(fixture.login->requests, (QList<bool>{true, false}));
    EXPECT_FALSE(preferences->loginRow()->isOn());
    EXPECT_FALSE(welcomeRow->isOn());

    // A change under way elsewhere: the preferences' switch waits, the
    // welcome's does not; both show the outcome.
    fixture.holdAChange(true);
    EXPECT_FALSE(preferences->loginRow()->toggle()->isEnabled());
    EXPECT_TRUE(welcomeRow->toggle()->isEnabled());
    fixture.release();
    EXPECT_TRUE(preferences->loginRow()->isOn());
    EXPECT_TRUE(welcomeRow->isOn());
}

TEST_F(WelcomeViewTest, LetsGoReturnAndCtrlWCloseTheWindowAndChangeNothingElse)
{
    WindowsModel fixture;
    fixture.setLoginState(LoginItemState::enabled);
    showWelcome(*fixture.model);
    settle();
    WelcomeView *view = shownView<WelcomeView>();
    ASSERT_NE(view, nullptr);
    QWidget *window = view->window();
    EXPECT_EQ(window->windowTitle(), u"Getting Started"_s);
    const QByteArray settings = readFile(fixture.settingsPath());
    ASSERT_TRUE(settings.contains("seenWelcome=true"));

    const auto expectNothingElseChanged = [&] {
        EXPECT_EQ(readFile(fixture.settingsPath()), settings);
        EXPECT_TRUE(fixture.login->requests.isEmpty());
        EXPECT_EQ(fixture.preferences().loginState(), LoginItemState::enabled);
        EXPECT_TRUE(fixture.preferences().armed());
        EXPECT_TRUE(fixture.preferences().hasSeenWelcome());
        EXPECT_EQ(fixture.model->countdown().state().kind(), SessionState::Kind::inactive);
        EXPECT_TRUE(fixture.service->calls.empty());
        EXPECT_EQ(builtWindows<WelcomeView>(), 1) << "the window is kept for next time";
    };

    ASSERT_TRUE(activate(window));
    click(view->page()->primaryButton());
    EXPECT_FALSE(window->isVisible());
    expectNothingElseChanged();

    // Return: the default button, whatever holds the focus.
    showWelcome(*fixture.model);
    settle();
    EXPECT_EQ(shownView<WelcomeView>(), view);
    ASSERT_TRUE(activate(window));
    view->page()->loginRow()->toggle()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(window, Qt::Key_Return);
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(fixture.login->requests.isEmpty()) << "Return did not flip the focused switch";

    showWelcome(*fixture.model);
    settle();
    ASSERT_TRUE(activate(window));
    QTest::keyClick(window, Qt::Key_W, Qt::ControlModifier);
    EXPECT_FALSE(window->isVisible());

    // Re-opened the settings file says the same: every route marks the
    // welcome as seen again, which it already was.
    expectNothingElseChanged();

    // Finishing without a window open does nothing.
    view->finish();
    EXPECT_FALSE(window->isVisible());
}

TEST_F(WelcomeViewTest, TheRouteMarksTheWelcomeSeenOnDiskBeforeTheWindowShows)
{
    WindowsModel fixture;
    ASSERT_FALSE(fixture.preferences().hasSeenWelcome());

    struct ShowWatcher : QObject {
        QString settingsPath;
        int shows = 0;
        bool seenOnDisk = false;
        bool seenInMemory = false;
        PelorinPreferences *preferences = nullptr;
        bool eventFilter(QObject *watched, QEvent *event) override
        {
            if (event->type() == QEvent::Show) {
                auto *widget = qobject_cast<QWidget *>(watched);
                if (widget && widget->isWindow() && widget->findChild<WelcomeView *>()) {
                    ++shows;
                    seenOnDisk = readFile(settingsPath).contains("seenWelcome=true");
                    seenInMemory = preferences->hasSeenWelcome();
                }
            }
            return false;
        }
    } watcher;
    watcher.settingsPath = fixture.settingsPath();
    watcher.preferences = &fixture.preferences();
    qApp->installEventFilter(&watcher);

    showWelcome(*fixture.model);
    settle();
    qApp->removeEventFilter(&watcher);
    EXPECT_EQ(watcher.shows, 1);
    EXPECT_TRUE(watcher.seenOnDisk);
    EXPECT_TRUE(watcher.seenInMemory);
    EXPECT_NE(shownView<WelcomeView>(), nullptr);
}
