// The tray panel's content over the real engine with a fake lock service:
// what it says and offers in each state, and what its controls do.
#include "panel_test_support.h"

#include "bordered_button.h"
#include "locale_formats.h"
#include "notice_card.h"
#include "panel_content.h"
#include "panel_footer.h"
#include "panel_footer_button.h"

#include "session_readout_view.h"

using namespace pelorin;
using namespace pelorin::paneltest;

namespace {

const EnergyFailure startFailure(EnergyFailure::Operation::createSystem, -1, false);
const EnergyFailure releaseFailure(EnergyFailure::Operation::release, -1, true);

QString awakeUntil(const PanelFixture &panel, int seconds)
{
    return QStringLiteral("Awake until ") +
           formatShortTime(u"en_US", panel.engine.clock.wall.addingTimeInterval(seconds));
}

} // namespace

// The whole cycle from the tiles: ready, starting, active, extended,
// stopping and ready again, with every row of the panel checked on the way.
TEST(MenuViewCycle, TileStartsThatLengthAndThePanelFollowsEveryStep)
{
    PanelFixture panel;
    MenuView &view = *panel.view;
    ASSERT_NE(view.displayRow(), nullptr);
    ASSERT_NE(view.actionRow(), nullptr);

    // Ready: the six tiles and the display switch.
    EXPECT_EQ(panel.status(), QStringLiteral("Ready to start"));
    EXPECT_EQ(dotOf(view), orbel::PanelStatus::Off);
    EXPECT_TRUE(shown(view.grid()));
    EXPECT_FALSE(shown(view.actionRow()));
    EXPECT_TRUE(shown(view.displayRow()->displaySwitch()));

    // A click on "2 h" starts a two-hour session at once.
    panel.clickTile(SessionDuration::hours2());
    ASSERT_EQ(panel.service().calls.size(), 1u);
    ASSERT_TRUE(panel.service().last().session);
    EXPECT_EQ(panel.service().last().session->selection.duration, SessionDuration::hours2());

    // Starting: the session's buttons, shown but not to be pressed; the
    // master switch held.
    EXPECT_EQ(panel.status(), QStringLiteral("Starting the session\u2026"));
    EXPECT_EQ(dotOf(view), orbel::PanelStatus::Attention);
    EXPECT_FALSE(panel.masterSwitch()->isEnabled());
    EXPECT_FALSE(shown(view.grid()));
    EXPECT_FALSE(view.grid()->isEnabled());
    EXPECT_TRUE(shown(view.actionRow()));
    EXPECT_FALSE(view.actionRow()->isEnabled());
    EXPECT_TRUE(view.displayRow()->isCombined());
    EXPECT_EQ(view.displayRow()->valueText(), QStringLiteral("Yes"));

    // Active: the end time, the working dot, both buttons live.
    panel.service().last().succeed();
    fakes::settle();
    EXPECT_EQ(panel.status(), awakeUntil(panel, 7200));
    EXPECT_EQ(dotOf(view), orbel::PanelStatus::Working);
    EXPECT_TRUE(panel.masterSwitch()->isEnabled());
    EXPECT_TRUE(view.actionRow()->isEnabled());
    EXPECT_TRUE(shown(view.extendButton()));

    // "+30 min" moves the end half an hour on.
    panel.click(view.extendButton());
    ASSERT_EQ(panel.service().last().kind, fakes::ServiceCall::Kind::extend);
    panel.service().last().succeed();
    fakes::settle();
    EXPECT_EQ(panel.status(), awakeUntil(panel, 9000));

    // "End": stopping, then ready again.
    panel.click(view.endButton());
    EXPECT_EQ(panel.status(), QStringLiteral("Ending the session\u2026"));
    EXPECT_FALSE(panel.masterSwitch()->isEnabled());
    EXPECT_FALSE(view.actionRow()->isEnabled());
    EXPECT_FALSE(view.displayRow()->displaySwitch()->isEnabled());
    panel.service().last().succeed();
    fakes::settle();
    EXPECT_EQ(panel.status(), QStringLiteral("Ready to start"));
    EXPECT_TRUE(shown(view.grid()));
    EXPECT_FALSE(shown(view.actionRow()));
    EXPECT_TRUE(view.displayRow()->displaySwitch()->isEnabled());
}

TEST(MenuViewCycle, UnlimitedSessionHasNoExtendAndEndFillsTheRow)
{
    PanelFixture panel;
    MenuView &view = *panel.view;
    panel.startActive(SessionDuration::untilStopped());

    EXPECT_EQ(panel.status(), QStringLiteral("On until you turn it off"));
    EXPECT_FALSE(shown(view.extendButton()));
    EXPECT_FALSE(view.extendButton()->isEnabled()) << "hidden, so out of a screen reader's reach";
    ASSERT_TRUE(shown(view.endButton()));
    EXPECT_EQ(view.endButton()->width(), view.actionRow()->width());
}

TEST(MenuViewCycle, MasterSwitchHidesTheControls)
{
    PanelFixture panel;
    MenuView &view = *panel.view;

    panel.click(panel.masterSwitch());
    EXPECT_FALSE(panel.engine.preferences().armed());
    // Switched off with no session: the readout alone.
    EXPECT_EQ(panel.status(), QStringLiteral("Off: the Mac can sleep"));
    EXPECT_EQ(dotOf(view), orbel::PanelStatus::Off);
    EXPECT_FALSE(panel.masterSwitch()->isChecked());
    EXPECT_FALSE(shown(view.notice()));
    EXPECT_TRUE(shown(view.readout()));
    EXPECT_FALSE(shown(view.grid()));
    EXPECT_FALSE(shown(view.actionRow()));
    EXPECT_FALSE(shown(view.displayRow()));

    panel.click(panel.masterSwitch());
    EXPECT_TRUE(panel.engine.preferences().armed());
    EXPECT_TRUE(shown(view.grid()));
    EXPECT_TRUE(shown(view.displayRow()));
}

// A start that fails offers "Try again" beside the tiles, which starts the
// same selection again; an end that fails keeps the session, and "Try again"
// ends it.
TEST(MenuViewFailure, TryAgainRepeatsWhatFailed)
{
    PanelFixture panel;
    MenuView &view = *panel.view;
    panel.clickTile(SessionDuration::hour1());
    panel.service().last().fail(startFailure);
    fakes::settle();
    EXPECT_EQ(panel.status(), QStringLiteral("The session did not start"));
    EXPECT_EQ(dotOf(view), orbel::PanelStatus::Attention);
    ASSERT_TRUE(shown(view.notice()));
    EXPECT_EQ(view.notice()->title(), QStringLiteral("The session could not start"));
    EXPECT_TRUE(shown(view.grid()));
    EXPECT_TRUE(view.grid()->isEnabled());
    EXPECT_FALSE(shown(view.actionRow()));

    panel.click(view.retryButton());
    EXPECT_EQ(panel.service().last().kind, fakes::ServiceCall::Kind::acquire);
    ASSERT_TRUE(panel.service().last().session);
    EXPECT_EQ(panel.service().last().session->selection.duration, SessionDuration::hour1());
    EXPECT_FALSE(shown(view.notice()));

    panel.service().last().succeed();
    fakes::settle();
    panel.click(view.endButton());
    panel.service().last().fail(releaseFailure);
    fakes::settle();
    EXPECT_EQ(panel.status(), QStringLiteral("The session needs attention"));
    ASSERT_TRUE(shown(view.notice()));
    EXPECT_EQ(view.notice()->title(), QStringLiteral("The session could not end"));
    EXPECT_TRUE(shown(view.actionRow()));
    EXPECT_FALSE(view.actionRow()->isEnabled());
    EXPECT_FALSE(shown(view.grid()));

    panel.click(view.retryButton());
    EXPECT_EQ(panel.service().last().kind, fakes::ServiceCall::Kind::release);
    EXPECT_EQ(panel.countdown().state().kind(), SessionState::Kind::stopping);
}

TEST(MenuViewFailure, FailureWithTheSwitchOffShowsNoticeAndReadoutOnly)
{
    PanelFixture panel(true);
    panel.engine.model->applySnapshotFixture(AppModel::Failure);
    panel.engine.preferences().stageArmed(false);
    fakes::settle();
    MenuView &view = *panel.view;
    EXPECT_TRUE(shown(view.notice()));
    EXPECT_TRUE(shown(view.readout()));
    EXPECT_FALSE(shown(view.grid()));
    EXPECT_FALSE(shown(view.actionRow()));
    EXPECT_FALSE(shown(view.displayRow()));
}

// The tiles' end times follow the minute while the panel is open; once it is
// closed, that timer stops.
TEST(MenuViewTimers, NothingTicksOnceThePanelIsClosed)
{
    PanelFixture panel;
    EXPECT_TRUE(panel.view->grid()->minuteTimer().isActive());
    panel.startActive(SessionDuration::hour1());
    panel.view->hide();
    fakes::settle();
    EXPECT_FALSE(panel.view->grid()->minuteTimer().isActive());
    EXPECT_FALSE(panel.view->readout()->hasTimeline());
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
}
