// The tray panel's content over the real engine with a fake lock service:
// what it says and offers in each state, and what its controls do.
#include "panel_test_support.h"

#include "app_brand.h"
#include "brand_palette.h"
#include "locale_formats.h"
#include "panel_card.h"
#include "panel_footer.h"
#include "panel_footer_button.h"
#include "pelorin_panel_viewport.h"
#include "privacy_line.h"
#include "session_readout_view.h"

#include <QAccessible>
#include <QApplication>
#include <QPalette>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>

#include <limits>

using namespace pelorin;
using namespace pelorin::paneltest;

namespace {

const Date fifteenHundred = utc(2025, 3, 14, 15, 0);

Session sampleSession(const SessionDuration &duration, bool keepsDisplayAwake = true)
{
    return Session(testId(7), SessionSelection{duration, keepsDisplayAwake}, fifteenHundred);
}

QString statusFor(const SessionState &state, std::optional<Duration> remaining, bool armed = true)
{
    return MenuView::statusText(state, remaining, armed, fifteenHundred, u"en_US");
}

const EnergyFailure startFailure(EnergyFailure::Operation::createSystem, -1, false);
const EnergyFailure releaseFailure(EnergyFailure::Operation::release, -1, true);

} // namespace

// The status line and dot, row by row, as functions of the state.
TEST(MenuViewStatus, StatusLineFollowsTheStateTable)
{
    const Session timed = sampleSession(SessionDuration::hour1());
    EXPECT_EQ(statusFor(SessionState::failed(releaseFailure, timed), std::nullopt),
              QStringLiteral("The session needs attention"));
    EXPECT_EQ(statusFor(SessionState::failed(startFailure, std::nullopt), std::nullopt),
              QStringLiteral("The session did not start"));
    EXPECT_EQ(statusFor(SessionState::starting(timed), Duration::seconds(3600)),
              QStringLiteral("Starting the session\u2026"));
    EXPECT_EQ(statusFor(SessionState::stopping(timed), Duration::seconds(3600)),
              QStringLiteral("Ending the session\u2026"));
    EXPECT_EQ(statusFor(SessionState::inactive(), std::nullopt, true), QStringLiteral("Ready to start"));
    EXPECT_EQ(statusFor(SessionState::inactive(), std::nullopt, false), QStringLiteral("Off: the Mac can sleep"));
    // The switch does not matter once something happens.
    EXPECT_EQ(statusFor(SessionState::starting(timed), std::nullopt, false),
              QStringLiteral("Starting the session\u2026"));
}

// The whole cycle from the tiles: ready, starting, active, extended,
// stopping and ready again, with every row of the panel checked on the way.
TEST(MenuViewCycle, TileStartsThatLengthAndThePanelFollowsEveryStep)
{
    PanelFixture panel;
    panel.open();
    MenuView &view = *panel.view;

    // Ready: the six tiles and the display switch.
    EXPECT_EQ(statusOf(view), QStringLiteral("Ready to start"));
    EXPECT_EQ(dotOf(view), orbel::PanelStatus::Off);
    EXPECT_FALSE(shown(view.notice()));
    EXPECT_TRUE(shown(view.readout()));
    EXPECT_TRUE(shown(view.grid()));
    EXPECT_TRUE(view.grid()->isEnabled());
    EXPECT_FALSE(shown(view.actionRow()));
    EXPECT_TRUE(shown(view.displayCard()));
    EXPECT_FALSE(view.displayRow()->isCombined());
    EXPECT_TRUE(shown(view.displayRow()->displaySwitch()));
    EXPECT_TRUE(masterSwitch(view)->isEnabled());
    EXPECT_TRUE(masterSwitch(view)->isChecked());

    // A click on "2 h" starts a two-hour session at once.
    panel.clickTile(SessionDuration::hours2());
    ASSERT_EQ(panel.service().calls.size(), 1u);
    ASSERT_TRUE(panel.service().last().session);
    EXPECT_EQ(panel.service().last().session->selection.duration, SessionDuration::hours2());
    EXPECT_EQ(panel.countdown().state().kind(), SessionState::Kind::starting);

    // Starting: the session's buttons, shown but not to be pressed; the
    // master switch held.
    EXPECT_EQ(statusOf(view), QStringLiteral("Starting the session\u2026"));
    EXPECT_EQ(dotOf(view), orbel::PanelStatus::Attention);
    EXPECT_FALSE(masterSwitch(view)->isEnabled());
    EXPECT_FALSE(shown(view.grid()));
    EXPECT_FALSE(view.grid()->isEnabled());
    EXPECT_TRUE(shown(view.actionRow()));
    EXPECT_FALSE(view.actionRow()->isEnabled());
    EXPECT_TRUE(shown(view.extendButton()));
    EXPECT_TRUE(view.displayRow()->isCombined());
    EXPECT_EQ(view.displayRow()->valueText(), QStringLiteral("Yes"));
    EXPECT_FALSE(shown(view.displayRow()->displaySwitch()));

    // Active: the end time, the working dot, both buttons live.
    panel.service().last().succeed();
    panel.settle();
    ASSERT_EQ(panel.countdown().state().kind(), SessionState::Kind::active);
    const Date wall = panel.engine.clock.wall;
    EXPECT_EQ(statusOf(view),
              QStringLiteral("Awake until ") + formatShortTime(u"en_US", wall.addingTimeInterval(7200)));
    EXPECT_EQ(dotOf(view), orbel::PanelStatus::Working);
    EXPECT_TRUE(masterSwitch(view)->isEnabled());
    EXPECT_TRUE(view.actionRow()->isEnabled());
    EXPECT_TRUE(view.extendButton()->isEnabled());
    EXPECT_TRUE(view.endButton()->isEnabled());
    EXPECT_EQ(view.extendButton()->text(), QStringLiteral("+30 min"));
    EXPECT_EQ(view.extendButton()->accessibleName(), QStringLiteral("Add 30 minutes"));
    EXPECT_EQ(view.endButton()->text(), QStringLiteral("End"));
    EXPECT_EQ(view.endButton()->accessibleName(), QStringLiteral("End the session"));
    EXPECT_EQ(view.extendButton()->symbol(), QStringLiteral("plus"));
    EXPECT_EQ(view.endButton()->symbol(), QStringLiteral("stop.fill"));
    // The two share the row.
    EXPECT_NEAR(view.extendButton()->width(), view.endButton()->width(), 1);

    // "+30 min" moves the end half an hour on.
    QTest::mouseClick(view.extendButton(), Qt::LeftButton);
    panel.settle();
    ASSERT_EQ(panel.service().last().kind, fakes::ServiceCall::Kind::extend);
    panel.service().last().succeed();
    panel.settle();
    EXPECT_EQ(statusOf(view),
              QStringLiteral("Awake until ") + formatShortTime(u"en_US", wall.addingTimeInterval(9000)));

    // "End": stopping, then ready again.
    QTest::mouseClick(view.endButton(), Qt::LeftButton);
    panel.settle();
    ASSERT_EQ(panel.countdown().state().kind(), SessionState::Kind::stopping);
    EXPECT_EQ(statusOf(view), QStringLiteral("Ending the session\u2026"));
    EXPECT_EQ(dotOf(view), orbel::PanelStatus::Attention);
    EXPECT_FALSE(masterSwitch(view)->isEnabled());
    EXPECT_FALSE(view.actionRow()->isEnabled());
    EXPECT_FALSE(view.displayRow()->displaySwitch()->isEnabled());
    panel.service().last().succeed();
    panel.settle();
    EXPECT_EQ(statusOf(view), QStringLiteral("Ready to start"));
    EXPECT_TRUE(shown(view.grid()));
    EXPECT_FALSE(shown(view.actionRow()));
    EXPECT_TRUE(view.displayRow()->displaySwitch()->isEnabled());
}

TEST(MenuViewCycle, UnlimitedSessionHasNoExtendAndEndFillsTheRow)
{
    PanelFixture panel;
    panel.open();
    MenuView &view = *panel.view;
    panel.startActive(SessionDuration::untilStopped());

    EXPECT_EQ(statusOf(view), QStringLiteral("On until you turn it off"));
    EXPECT_FALSE(shown(view.extendButton()));
    EXPECT_TRUE(shown(view.endButton()));
    EXPECT_EQ(view.endButton()->width(), view.actionRow()->width());
    EXPECT_GT(view.actionRow()->width(), 300);
}

TEST(MenuViewCycle, MasterSwitchHidesTheControls)
{
    PanelFixture panel;
    panel.open();
    MenuView &view = *panel.view;

    QTest::mouseClick(masterSwitch(view), Qt::LeftButton);
    panel.settle();
    EXPECT_FALSE(panel.preferences().armed());
    // Switched off with no session: the readout alone.
    EXPECT_EQ(statusOf(view), QStringLiteral("Off: the Mac can sleep"));
    EXPECT_EQ(dotOf(view), orbel::PanelStatus::Off);
    EXPECT_FALSE(masterSwitch(view)->isChecked());
    EXPECT_FALSE(shown(view.notice()));
    EXPECT_TRUE(shown(view.readout()));
    EXPECT_FALSE(shown(view.grid()));
    EXPECT_FALSE(shown(view.actionRow()));
    EXPECT_FALSE(shown(view.displayCard()));

    QTest::mouseClick(masterSwitch(view), Qt::LeftButton);
    panel.settle();
    EXPECT_TRUE(panel.preferences().armed());
    EXPECT_TRUE(shown(view.grid()));
    EXPECT_TRUE(shown(view.displayCard()));
}

TEST(MenuViewFailure, StartFailureOffersTryAgainWithTheTiles)
{
    PanelFixture panel;
    panel.open();
    MenuView &view = *panel.view;
    panel.clickTile(SessionDuration::hour1());
    panel.service().last().fail(startFailure);
    panel.settle();
    ASSERT_EQ(panel.countdown().state().kind(), SessionState::Kind::failed);
    ASSERT_FALSE(panel.countdown().state().session());

    EXPECT_EQ(statusOf(view), QStringLiteral("The session did not start"));
    EXPECT_EQ(dotOf(view), orbel::PanelStatus::Attention);
    ASSERT_TRUE(shown(view.notice()));
    EXPECT_EQ(view.notice()->title(), QStringLiteral("The session could not start"));
    EXPECT_EQ(view.notice()->message(),
              QStringLiteral("Pelorin could not confirm that the Mac will stay awake. Try again."));
    EXPECT_EQ(view.retryButton()->text(), QStringLiteral("Try again"));
    EXPECT_TRUE(view.retryButton()->isEnabled());
    EXPECT_TRUE(shown(view.grid()));
    EXPECT_TRUE(view.grid()->isEnabled());
    EXPECT_FALSE(shown(view.actionRow()));

    // "Try again" starts a new session with the same selection.
    const std::size_t calls = panel.service().calls.size();
    QTest::mouseClick(view.retryButton(), Qt::LeftButton);
    panel.settle();
    ASSERT_EQ(panel.service().calls.size(), calls + 1);
    EXPECT_EQ(panel.service().last().kind, fakes::ServiceCall::Kind::acquire);
    EXPECT_EQ(panel.service().last().session->selection.duration, SessionDuration::hour1());
    EXPECT_FALSE(shown(view.notice()));
}

TEST(MenuViewFailure, ReleaseFailureKeepsTheSessionAndTryAgainEndsIt)
{
    PanelFixture panel;
    panel.open();
    MenuView &view = *panel.view;
    panel.startActive(SessionDuration::hour1());
    QTest::mouseClick(view.endButton(), Qt::LeftButton);
    panel.settle();
    panel.service().last().fail(releaseFailure);
    panel.settle();
    ASSERT_EQ(panel.countdown().state().kind(), SessionState::Kind::failed);
    ASSERT_TRUE(panel.countdown().state().session());

    EXPECT_EQ(statusOf(view), QStringLiteral("The session needs attention"));
    EXPECT_EQ(view.notice()->title(), QStringLiteral("The session could not end"));
    EXPECT_EQ(view.notice()->message(),
              QStringLiteral("The Mac may still be kept awake. Try ending the session again."));
    EXPECT_TRUE(shown(view.actionRow()));
    EXPECT_FALSE(view.actionRow()->isEnabled());
    EXPECT_FALSE(shown(view.grid()));
    EXPECT_TRUE(view.displayRow()->isCombined());

    QTest::mouseClick(view.retryButton(), Qt::LeftButton);
    panel.settle();
    EXPECT_EQ(panel.service().last().kind, fakes::ServiceCall::Kind::release);
    EXPECT_EQ(panel.countdown().state().kind(), SessionState::Kind::stopping);
}

TEST(MenuViewFailure, FailureWithTheSwitchOffShowsNoticeAndReadoutOnly)
{
    PanelFixture panel(true);
    panel.engine.model->applySnapshotFixture(AppModel::Failure);
    panel.preferences().stageArmed(false);
    panel.open();
    MenuView &view = *panel.view;
    EXPECT_TRUE(shown(view.notice()));
    EXPECT_TRUE(shown(view.readout()));
    EXPECT_FALSE(shown(view.grid()));
    EXPECT_FALSE(shown(view.actionRow()));
    EXPECT_FALSE(shown(view.displayCard()));
}

TEST(MenuViewTimers, NothingTicksOnceThePanelIsClosed)
{
    PanelFixture panel;
    panel.open();
    EXPECT_TRUE(panel.view->grid()->minuteTimer().isActive());
    panel.startActive(SessionDuration::hour1());
    panel.view->hide();
    panel.settle();
    for (const QTimer *timer : panel.view->findChildren<QTimer *>())
        EXPECT_FALSE(timer->isActive()) << timer->metaObject()->className() << " " << timer->objectName().toStdString();
    EXPECT_FALSE(panel.view->grid()->minuteTimer().isActive());
}

TEST(PanelContent, TrayPanelQuitsThroughTheGivenPath)
{
    ReadoutModel engine;
    int quits = 0;
    std::unique_ptr<MenuView> view(makePanelContent(*engine.model, [&quits] { ++quits; }));
    view->show();
    fakes::settle();
    QTest::mouseClick(view->panel()->footer()->quitButton(), Qt::LeftButton);
    EXPECT_EQ(quits, 0);
    fakes::settle();
    EXPECT_EQ(quits, 1);

    // Ctrl+Q does the same.
    view->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
    QTest::keyClick(view.get(), Qt::Key_Q, Qt::ControlModifier);
    fakes::settle();
    EXPECT_EQ(quits, 2);
}
