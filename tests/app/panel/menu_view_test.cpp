// The tray panel's content over the real engine with a fake lock service: its
// widgets show what PanelState says in every state, and its controls reach
// the session.
#include "panel_test_support.h"

#include "bordered_button.h"
#include "locale_formats.h"
#include "notice_card.h"
#include "panel_content.h"
#include "panel_footer.h"
#include "panel_footer_button.h"
#include "panel_state.h"
#include "session_readout_view.h"
#include "snapshot_window.h"

using namespace pelorin;
using namespace pelorin::paneltest;
using namespace Qt::StringLiterals;

// Every staged state, timed and without end, switched on and off: each widget
// shows what the panel's value says, and a control out of sight cannot be
// pressed, not even by a screen reader.
TEST(MenuView, ItsWidgetsShowThePanelsValueInEveryState)
{
    using Scenario = SnapshotWindow::Scenario;
    PanelFixture panel(true);
    MenuView &view = *panel.view;
    panel.engine.model->setPanelVisible(true);
    const auto dot = [](PanelState::Dot value) {
        return value == PanelState::Dot::off       ? orbel::PanelStatus::Off
               : value == PanelState::Dot::working ? orbel::PanelStatus::Working
                                                   : orbel::PanelStatus::Attention;
    };
    for (const bool timed : {true, false}) {
        for (const bool armed : {true, false}) {
            for (const Scenario scenario : {Scenario::ready, Scenario::active, Scenario::failure,
                                            Scenario::retainedFailure, Scenario::starting, Scenario::stopping}) {
                SCOPED_TRACE(testing::Message() << "scenario " << int(scenario) << (timed ? ", timed" : ", no limit")
                                                << (armed ? "" : ", switched off"));
                const SessionDuration duration = timed ? SessionDuration::hour1() : SessionDuration::untilStopped();
                SessionFacts staged =
                    SnapshotWindow::stagedSession(scenario, {duration, !timed}, panel.engine.clock.wall);
                staged.armed = armed;
                view.stage(staged);
                fakes::settle();
                const PanelState value = PanelState::of(staged, true, panel.engine.clock.wall, u"en_US"_s);
                const bool tiles = value.controls == PanelState::Controls::tiles;
                const bool session = value.controls == PanelState::Controls::session;

                EXPECT_EQ(panel.status(), value.status);
                EXPECT_EQ(dotOf(view), dot(value.dot));
                EXPECT_EQ(panel.masterSwitch()->isChecked(), staged.armed);
                EXPECT_EQ(panel.masterSwitch()->isEnabled(), value.switchEnabled);
                ASSERT_EQ(shown(view.notice()), value.notice.has_value());
                if (value.notice) {
                    EXPECT_EQ(view.notice()->title(), value.notice->title);
                    EXPECT_EQ(view.notice()->message(), value.notice->message);
                }
                EXPECT_EQ(shown(view.grid()), tiles);
                EXPECT_EQ(shown(view.actionRow()), session);
                EXPECT_EQ(view.actionRow()->isEnabled(), value.sessionButtonsEnabled);
                EXPECT_EQ(shown(view.extendButton()), value.extends);
                if (session && !value.extends) {
                    EXPECT_EQ(view.endButton()->width(), view.actionRow()->width()) << "End fills the row";
                }
                EXPECT_EQ(shown(view.displayRow()), value.controls != PanelState::Controls::none);
                EXPECT_EQ(view.displayRow()->valueText(), value.sessionKeepsDisplayAwake
                                                              ? (*value.sessionKeepsDisplayAwake ? u"Yes"_s : u"No"_s)
                                                              : QString());
                EXPECT_EQ(shown(view.displayRow()->displaySwitch()), tiles);
                EXPECT_EQ(view.readout()->accessibleCaption(), value.readout.caption());
                EXPECT_EQ(view.readout()->accessibleReadout(), value.readout.accessibilityValue());
                for (const QAbstractButton *control : view.findChildren<QAbstractButton *>())
                    EXPECT_TRUE(control->isVisibleTo(&view) || !control->isEnabled()) << control->text().toStdString();
            }
        }
    }
}

// The switches change their settings; a tile starts a session of its length
// with the display choice; "Try again" repeats what failed; "+30 min" and
// "End" act on the running session.
TEST(MenuView, ItsControlsReachTheSession)
{
    PanelFixture panel;
    MenuView &view = *panel.view;
    panel.click(panel.masterSwitch());
    EXPECT_FALSE(panel.engine.preferences().armed());
    EXPECT_FALSE(panel.masterSwitch()->isChecked());
    panel.click(panel.masterSwitch());
    EXPECT_TRUE(panel.engine.preferences().armed());
    panel.click(view.displayRow()->displaySwitch());
    EXPECT_FALSE(panel.countdown().selection().keepsDisplayAwake);

    const auto lastCall = [&panel](fakes::ServiceCall::Kind kind, const SessionDuration &duration) {
        ASSERT_EQ(panel.service().last().kind, kind);
        ASSERT_TRUE(panel.service().last().session);
        EXPECT_EQ(panel.service().last().session->selection, (SessionSelection{duration, false}));
    };
    const auto awakeUntil = [&panel](int seconds) -> QString {
        return u"Awake until "_s + formatShortTime(u"en_US", panel.engine.clock.wall.addingTimeInterval(seconds));
    };
    panel.clickTile(SessionDuration::hours2());
    lastCall(fakes::ServiceCall::Kind::acquire, SessionDuration::hours2());
    panel.service().last().fail(EnergyFailure(EnergyFailure::Operation::createSystem, -1, false));
    fakes::settle();
    panel.click(view.retryButton());
    lastCall(fakes::ServiceCall::Kind::acquire, SessionDuration::hours2());
    panel.service().last().succeed();
    fakes::settle();
    EXPECT_EQ(panel.status(), awakeUntil(7200));

    panel.click(view.extendButton());
    EXPECT_EQ(panel.service().last().kind, fakes::ServiceCall::Kind::extend);
    panel.service().last().succeed();
    fakes::settle();
    EXPECT_EQ(panel.status(), awakeUntil(9000));
    panel.click(view.endButton());
    EXPECT_EQ(panel.service().last().kind, fakes::ServiceCall::Kind::release);
    panel.service().last().fail(EnergyFailure(EnergyFailure::Operation::release, -1, true));
    fakes::settle();
    panel.click(view.retryButton());
    EXPECT_EQ(panel.service().last().kind, fakes::ServiceCall::Kind::release);
    EXPECT_EQ(panel.countdown().state().kind(), SessionState::Kind::stopping);
}

// The tiles' end times follow the minute while the panel is open; once it is
// closed, that timer stops.
TEST(MenuView, TheTilesStopTheirMinuteOnceThePanelIsClosed)
{
    PanelFixture panel;
    EXPECT_TRUE(panel.view->grid()->minuteTimer().isActive());
    panel.view->hide();
    fakes::settle();
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
}
