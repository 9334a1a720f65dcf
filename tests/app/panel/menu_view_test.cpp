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

TEST(MenuViewStatus, ActiveLineNamesTheEndOrSaysItRunsOn)
{
    const Session timed = sampleSession(SessionDuration::hour1());
    // 15:00 plus 45 minutes, in the US short time style with no date.
    const QString expected =
        QStringLiteral("Awake until ") + formatShortTime(u"en_US", fifteenHundred.addingTimeInterval(2700));
    EXPECT_EQ(statusFor(SessionState::active(timed), Duration::seconds(2700)), expected);
    EXPECT_TRUE(expected.contains(QStringLiteral("3:45"))) << expected.toStdString();

    // No time left known, an unlimited session, or an end past the last
    // date the program names: no end time.
    EXPECT_EQ(statusFor(SessionState::active(timed), std::nullopt), QStringLiteral("On until you turn it off"));
    const Session unlimited = sampleSession(SessionDuration::untilStopped());
    EXPECT_EQ(statusFor(SessionState::active(unlimited), Duration::seconds(60)),
              QStringLiteral("On until you turn it off"));
    EXPECT_EQ(statusFor(SessionState::active(timed), Duration::seconds(std::numeric_limits<long long>::max())),
              QStringLiteral("On until you turn it off"));
}

TEST(MenuViewStatus, DotFollowsTheState)
{
    const Session timed = sampleSession(SessionDuration::hour1());
    EXPECT_EQ(MenuView::dotStatus(SessionState::active(timed)), orbel::PanelStatus::Working);
    EXPECT_EQ(MenuView::dotStatus(SessionState::inactive()), orbel::PanelStatus::Off);
    EXPECT_EQ(MenuView::dotStatus(SessionState::starting(timed)), orbel::PanelStatus::Attention);
    EXPECT_EQ(MenuView::dotStatus(SessionState::stopping(timed)), orbel::PanelStatus::Attention);
    EXPECT_EQ(MenuView::dotStatus(SessionState::failed(startFailure, std::nullopt)), orbel::PanelStatus::Attention);
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

TEST(MenuViewCycle, DisplayRowShowsTheSessionsChoice)
{
    PanelFixture panel;
    panel.open();
    MenuView &view = *panel.view;

    // Before a session the switch writes the choice for the next one.
    orbel::OrbelSwitch *display = view.displayRow()->displaySwitch();
    EXPECT_TRUE(display->isChecked());
    QTest::mouseClick(display, Qt::LeftButton);
    EXPECT_FALSE(panel.countdown().selection().keepsDisplayAwake);
    EXPECT_FALSE(display->isChecked());

    panel.startActive(SessionDuration::hour1());
    EXPECT_TRUE(view.displayRow()->isCombined());
    EXPECT_EQ(view.displayRow()->valueText(), QStringLiteral("No"));
    EXPECT_TRUE(shown(view.displayRow()->valueLabel()));
    EXPECT_EQ(view.displayRow()->valueLabel()->text(), QStringLiteral("No"));
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

// The staged states of a snapshot read as the live ones do.
TEST(MenuViewStaged, StagedStatesShowTheirRows)
{
    struct Row {
        int scenario;
        const char *status;
        orbel::PanelStatus dot;
        bool notice, grid, actions, actionsEnabled, extend, display;
    };
    const Row rows[] = {
        {AppModel::Ready, "Ready to start", orbel::PanelStatus::Off, false, true, false, false, false, true},
        {AppModel::Off, "Off: the Mac can sleep", orbel::PanelStatus::Off, false, false, false, false, false, false},
        {AppModel::Active, "Awake until", orbel::PanelStatus::Working, false, false, true, true, true, true},
        {AppModel::Failure, "The session did not start", orbel::PanelStatus::Attention, true, true, false, false, false,
         true},
        {AppModel::RetainedFailure, "The session needs attention", orbel::PanelStatus::Attention, true, false, true,
         false, true, true},
        {AppModel::Starting, "Starting the session\u2026", orbel::PanelStatus::Attention, false, false, true, false,
         true, true},
        {AppModel::Stopping, "Ending the session\u2026", orbel::PanelStatus::Attention, false, false, true, false, true,
         true},
    };
    for (const Row &row : rows) {
        PanelFixture panel(true);
        panel.engine.model->applySnapshotFixture(row.scenario);
        panel.view->refresh();
        const MenuView &view = *panel.view;
        SCOPED_TRACE(row.status);
        EXPECT_TRUE(statusOf(view).startsWith(QString::fromUtf8(row.status))) << statusOf(view).toStdString();
        EXPECT_EQ(dotOf(view), row.dot);
        EXPECT_EQ(shown(view.notice()), row.notice);
        EXPECT_TRUE(shown(view.readout()));
        EXPECT_EQ(shown(view.grid()), row.grid);
        EXPECT_EQ(shown(view.actionRow()), row.actions);
        EXPECT_EQ(view.actionRow()->isEnabled(), row.actionsEnabled);
        EXPECT_EQ(shown(view.extendButton()), row.extend);
        EXPECT_EQ(shown(view.displayCard()), row.display);
        // What the panel hides, a screen reader cannot press either.
        for (const QAbstractButton *button : view.findChildren<QAbstractButton *>()) {
            if (!shownIn(button, &view)) {
                EXPECT_FALSE(button->isEnabled()) << button->accessibleName().toStdString() << " is hidden";
            }
        }
    }
}

TEST(MenuViewStaged, StagedActiveSessionEndsFortyFiveMinutesOn)
{
    PanelFixture panel(true);
    panel.engine.model->applySnapshotFixture(AppModel::Active);
    panel.view->refresh();
    EXPECT_EQ(statusOf(*panel.view), QStringLiteral("Awake until ") +
                                         formatShortTime(u"en_US", panel.engine.clock.wall.addingTimeInterval(2700)));
}

TEST(MenuViewFrame, PanelCarriesThePelorinBrandAndPrivacyLine)
{
    PanelFixture panel;
    const orbel::OrbelPanel &frame = *panel.view->panel();
    EXPECT_EQ(frame.brand().name(), QStringLiteral("Pelorin"));
    EXPECT_EQ(frame.brand().color(), QColor(184, 115, 0));
    EXPECT_EQ(frame.brand().accent(orbel::ColorScheme::Light), QColor(176, 112, 0));
    EXPECT_EQ(frame.brand().accent(orbel::ColorScheme::Dark), QColor(184, 115, 0));
    EXPECT_EQ(frame.brand().connection(), orbel::OrbelBrand::Connection::Offline);

    const QList<orbel::PrivacyLine *> lines = frame.footer()->findChildren<orbel::PrivacyLine *>();
    QStringList texts;
    for (const orbel::PrivacyLine *line : lines)
        texts << line->text();
    EXPECT_TRUE(texts.contains(QStringLiteral("Your Mac, under your control")));
    // The display row's symbol is in the brand accent of the scheme.
    EXPECT_EQ(panel.view->displayRow()->displaySwitch()->effectiveTint(), QColor(176, 112, 0));
}

TEST(MenuViewFrame, FooterButtonsRunTheirHooks)
{
    PanelFixture panel;
    panel.open();
    int quits = 0, guides = 0, preferences = 0;
    panel.view->setQuit([&quits] { ++quits; });
    panel.view->setShowGuide([&guides] { ++guides; });
    panel.view->setShowPreferences([&preferences] { ++preferences; });

    orbel::PanelFooter *footer = panel.view->panel()->footer();
    ASSERT_TRUE(footer->preferencesButton());
    QTest::mouseClick(footer->preferencesButton(), Qt::LeftButton);
    QTest::mouseClick(footer->guideButton(), Qt::LeftButton);
    QTest::mouseClick(footer->quitButton(), Qt::LeftButton);
    panel.settle();
    EXPECT_EQ(preferences, 1);
    EXPECT_EQ(guides, 1);
    // Quit goes through the program's own path, never straight out.
    EXPECT_EQ(quits, 1);
}

TEST(MenuViewFrame, VisibilityIsReportedOnlyWhenAsked)
{
    PanelFixture panel(true);
    panel.open();
    EXPECT_FALSE(panel.engine.model->panelVisible());
    panel.view->hide();

    panel.view->setReportsVisibility(true);
    panel.view->show();
    EXPECT_TRUE(panel.engine.model->panelVisible());
    panel.view->hide();
    EXPECT_FALSE(panel.engine.model->panelVisible());
}

TEST(MenuViewFrame, PanelIsThePanelWidthAndScrollsUnderAForcedHeight)
{
    ReadoutModel engine(true);
    engine.model->applySnapshotFixture(AppModel::RetainedFailure);
    PanelContentOptions options;
    options.locale = QStringLiteral("en_US");
    options.panelHeight = 300;
    std::unique_ptr<MenuView> view(makePanelContent(*engine.model, std::move(options)));
    view->show();
    view->resize(view->sizeHint());
    fakes::settle();
    EXPECT_EQ(view->width(), 368);
    EXPECT_EQ(view->height(), 300);
    EXPECT_TRUE(view->viewport()->isScrolling());
    EXPECT_EQ(view->viewport()->scrollArea()->verticalScrollBar()->maximum(), view->viewport()->naturalHeight() - 300);
}

TEST(MenuViewFrame, PanelGrowsAndShrinksWithItsContent)
{
    PanelFixture panel;
    panel.open();
    const int ready = panel.view->sizeHint().height();
    panel.clickTile(SessionDuration::hour1());
    panel.service().last().fail(startFailure);
    panel.settle();
    // The notice card adds its height and one gap.
    const int failed = panel.view->sizeHint().height();
    EXPECT_EQ(failed, ready + panel.view->notice()->height() + 16);
    EXPECT_FALSE(panel.view->viewport()->isScrolling());
    EXPECT_EQ(panel.view->viewport()->content()->height(), failed);
}

TEST(MenuViewAccessibility, DisplayRowIsOneElementWhileASessionRuns)
{
    PanelFixture panel;
    panel.open();
    QAccessibleInterface *row = QAccessible::queryAccessibleInterface(panel.view->displayRow());
    ASSERT_TRUE(row);
    EXPECT_GT(row->childCount(), 0);

    panel.startActive(SessionDuration::hour1());
    EXPECT_EQ(row->childCount(), 0);
    EXPECT_EQ(row->role(), QAccessible::StaticText);
    EXPECT_EQ(row->text(QAccessible::Name), QStringLiteral("Keep the display always awake"));
    EXPECT_EQ(row->text(QAccessible::Value), QStringLiteral("Yes"));
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

TEST(PanelContent, TrayPanelFollowsTheDesktopPalette)
{
    ReadoutModel engine;
    std::unique_ptr<MenuView> view(makePanelContent(*engine.model, [] {}));
    EXPECT_EQ(view->environment().scheme, orbel::ColorScheme::Light);
    EXPECT_FALSE(engine.model->panelVisible());

    const QPalette light = QApplication::palette();
    QPalette dark = light;
    dark.setColor(QPalette::Window, QColor(30, 30, 30));
    dark.setColor(QPalette::WindowText, Qt::white);
    QApplication::setPalette(dark);
    fakes::settle();
    EXPECT_EQ(view->environment().scheme, orbel::ColorScheme::Dark);
    // Everything inside follows, down to the tiles.
    EXPECT_EQ(view->grid()->tiles()[0]->environment().scheme, orbel::ColorScheme::Dark);
    QApplication::setPalette(light);
    fakes::settle();
    EXPECT_EQ(view->environment().scheme, orbel::ColorScheme::Light);
}

TEST(PanelContent, OptionsReachThePanel)
{
    ReadoutModel engine(true);
    engine.model->applySnapshotFixture(AppModel::Active);
    PanelContentOptions options;
    options.environment.scheme = orbel::ColorScheme::Dark;
    options.locale = QStringLiteral("de_DE");
    options.panelHeight = 250;
    options.reportsVisibility = true;
    std::unique_ptr<MenuView> view(makePanelContent(*engine.model, std::move(options)));
    EXPECT_EQ(view->environment().scheme, orbel::ColorScheme::Dark);
    EXPECT_EQ(view->viewport()->snapshotHeight(), 250.0);
    EXPECT_EQ(view->readout()->localeName(), QStringLiteral("de_DE"));
    // A 24-hour clock in German.
    EXPECT_FALSE(statusOf(*view).contains(QStringLiteral("M"))) << statusOf(*view).toStdString();
    view->show();
    EXPECT_TRUE(engine.model->panelVisible());
}
