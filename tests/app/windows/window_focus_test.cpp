// The keyboard-only focus rings of the two windows: a window opens with no
// control focused, a pointer user never sees a ring, a key press shows the
// focused control's ring, a window that becomes active again hides them until
// the next key, and every Tab stop shows.
#include "windows_test_support.h"

#include "widget_pictures.h"

#include "bordered_button.h"
#include "brand_focus_ring.h"
#include "orbel_switch.h"
#include "preferences_chrome.h"
#include "preferences_focus_ring.h"
#include "preferences_layout.h"
#include "preferences_status_row.h"
#include "preferences_toggle_row.h"
#include "welcome_button.h"
#include "welcome_steps_layout.h"

#include <functional>

using namespace pelorin;
using namespace pelorin::windowstest;

namespace {

// Those of `controls` whose focus ring shows.
QList<QWidget *> visibleRings(const QList<QWidget *> &controls)
{
    QList<QWidget *> visible;
    for (QWidget *control : controls) {
        if (orbel::BrandFocusRing *ring = orbel::preferencesFocusRingOf(control); ring && ring->isVisible())
            visible.append(control);
    }
    return visible;
}

// `controls` are the window's ringed controls, in the order Tab visits them.
void expectKeyboardOnlyRings(QWidget *window, orbel::PreferencesChrome *chrome, const QList<QWidget *> &controls,
                             const std::function<void()> &pointerUse)
{
    ASSERT_TRUE(activate(window));
    settle();
    for (QWidget *control : controls)
        ASSERT_NE(orbel::preferencesFocusRingOf(control), nullptr);

    // The pointer: controls act, focus may even land on them, no ring shows.
    pointerUse();
    for (QWidget *control : controls) {
        control->setFocus(Qt::OtherFocusReason);
        EXPECT_TRUE(visibleRings(controls).isEmpty());
    }
    EXPECT_FALSE(chrome->keyboardUsed());

    // Tab: the focused control, and only it, wears its ring.
    controls.constLast()->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(window, Qt::Key_Tab);
    EXPECT_TRUE(chrome->keyboardUsed());
    QWidget *focused = QApplication::focusWidget();
    ASSERT_TRUE(controls.contains(focused)) << "Tab moves to one of the window's controls";
    EXPECT_EQ(visibleRings(controls), QList<QWidget *>{focused});
    EXPECT_TRUE(orbel::preferencesFocusRingOf(focused)->isOn());
    // And on to the next one.
    QTest::keyClick(window, Qt::Key_Tab);
    QWidget *next = QApplication::focusWidget();
    ASSERT_TRUE(controls.contains(next));
    EXPECT_EQ(visibleRings(controls), QList<QWidget *>{next});

    // Away and back: no ring until the next key, and the focus stays.
    QWidget elsewhere;
    elsewhere.resize(100, 100);
    ASSERT_TRUE(activate(&elsewhere));
    ASSERT_TRUE(activate(window));
    settle();
    EXPECT_FALSE(chrome->keyboardUsed());
    EXPECT_TRUE(visibleRings(controls).isEmpty());
    EXPECT_EQ(window->focusWidget(), next);
    // Keys typed in another window do not count.
    ASSERT_TRUE(activate(&elsewhere));
    QTest::keyClick(&elsewhere, Qt::Key_A);
    ASSERT_TRUE(activate(window));
    settle();
    EXPECT_TRUE(visibleRings(controls).isEmpty());
    QTest::keyClick(window, Qt::Key_Shift);
    EXPECT_EQ(visibleRings(controls), QList<QWidget *>{next});

    // Every control Tab reaches, whatever it is, shows where the focus is.
    next->clearFocus();
    const QList<pelorin::test::FocusStop> stops = pelorin::test::tabThrough(window, window->grab().toImage());
    EXPECT_GE(stops.size(), 2);
    for (const pelorin::test::FocusStop &stop : stops)
        EXPECT_TRUE(stop.marked) << stop.widget->metaObject()->className() << " \""
                                 << stop.widget->accessibleName().toStdString() << "\" shows no focus";
}

// A window opens with no control focused, also when it opens again after the
// keyboard left the focus on its switch as it went: a first Space changes
// nothing (it would flip "Open at Login", whose ring does not show before a
// key is pressed).
void expectReopenedWithNothingFocused(QWidget *window, const WindowsModel &fixture, orbel::OrbelSwitch *toggle,
                                      const std::function<void()> &show)
{
    toggle->setFocus(Qt::TabFocusReason);
    window->close();
    settle();
    show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    settle();
    const QList<bool> requests = fixture.login->requests;
    const bool on = toggle->isChecked();
    QTest::keyClick(window->windowHandle(), Qt::Key_Space);
    settle();
    EXPECT_EQ(fixture.login->requests, requests) << "Space flipped a switch";
    EXPECT_EQ(toggle->isChecked(), on);
    EXPECT_TRUE(window->isVisible());
}

} // namespace

TEST(WindowFocus, ThePreferencesWindowShowsRingsOnlyToKeyboardUsers)
{
    WindowsModel fixture;
    fixture.setLoginState(LoginItemState::requiresApproval);
    showPreferences(*fixture.model);
    settle();
    PreferencesView *view = shownView<PreferencesView>();
    ASSERT_NE(view, nullptr);
    orbel::OrbelSwitch *toggle = view->loginRow()->toggle();
    QAbstractButton *settings = view->statusRow()->actionButton();
    expectKeyboardOnlyRings(view->window(), view->page()->chrome(), {toggle, settings}, [&] {
        click(settings);
        EXPECT_EQ(fixture.login->settingsOpened, 1);
        // A flip that the desktop refuses keeps the approval notice (and its
        // button) in place.
        fixture.login->fail = true;
        click(toggle);
        EXPECT_EQ(fixture.login->requests, QList<bool>{false});
        EXPECT_FALSE(view->statusRow()->isHidden());
    });
    expectReopenedWithNothingFocused(view->window(), fixture, toggle, [&] { showPreferences(*fixture.model); });
}

TEST(WindowFocus, TheWelcomeWindowShowsRingsOnlyToKeyboardUsers)
{
    WindowsModel fixture;
    showWelcome(*fixture.model);
    settle();
    WelcomeView *view = shownView<WelcomeView>();
    ASSERT_NE(view, nullptr);
    orbel::OrbelSwitch *toggle = view->page()->loginRow()->toggle();
    orbel::WelcomeButton *letsGo = view->page()->primaryButton();
    expectKeyboardOnlyRings(view->window(), view->page()->chrome(), {toggle, letsGo}, [&] {
        click(toggle);
        click(toggle);
        EXPECT_EQ(fixture.login->requests, (QList<bool>{true, false}));
    });
    EXPECT_TRUE(view->window()->isVisible()) << "neither Tab nor Shift pressed Let’s go";
    expectReopenedWithNothingFocused(view->window(), fixture, toggle, [&] { showWelcome(*fixture.model); });
}
