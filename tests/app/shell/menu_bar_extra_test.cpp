// The tray side of the shell: the status the icon shows as the session
// moves, and the panel window's opening and closing. The offscreen platform
// has no tray, so the panel opens as the standalone window there.

#include "app/fake_app_model.h"
#include "menu_bar_extra.h"
#include "panel_host.h"

#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

using namespace pelorin;
using namespace pelorin::fakes;
using Op = EnergyFailure::Operation;

namespace {

class MenuBarExtraTest : public testing::Test, protected fakes::FakeAppModel {};

// The tray icon through a session that fails to end and ends on "Try
// again", each change announced once.
TEST_F(MenuBarExtraTest, StatusFollowsTheSession)
{
    start();
    MenuBarExtra extra(*model, [](AppModel &) { return new QLabel(QStringLiteral("content")); });
    std::vector<AppStatus> statuses;
    QObject::connect(&extra, &MenuBarExtra::statusChanged, [&](AppStatus status) { statuses.push_back(status); });
    EXPECT_EQ(extra.status(), AppStatus::off);
    startSession(SessionDuration::hour1());
    endSession(false);
    service->last().fail(EnergyFailure(Op::release, -5, true));
    settle();
    EXPECT_EQ(extra.status(), AppStatus::failed);
    // "Try again" on a failure that keeps its session releases it.
    countdown().toggle();
    settle();
    service->last().succeed();
    settle();
    EXPECT_EQ(statuses, (std::vector<AppStatus>{AppStatus::working, AppStatus::on, AppStatus::working,
                                                AppStatus::failed, AppStatus::working, AppStatus::off}));
}

// The panel window closes on Escape and when it loses the focus; a click on
// the tray icon that took the focus does not open it again at once. (Before,
// a window minimised just as a tray takes over stays hidden, not minimised.)
TEST(PanelHostTest, EscapeClosesAndSoDoesAClickOnTheIconThatTookTheFocus)
{
    PanelHost panel(PanelHost::Style::standalone);
    panel.setContent(new QLabel(QStringLiteral("content")));
    panel.open(QRect());
    panel.setWindowState(Qt::WindowMinimized);
    panel.setStyle(PanelHost::Style::dropDown);
    QCoreApplication::processEvents();
    EXPECT_FALSE(panel.isVisible());
    EXPECT_EQ(panel.windowState(), Qt::WindowNoState);
    int appeared = 0;
    int disappeared = 0;
    QObject::connect(&panel, &PanelHost::appeared, [&] { ++appeared; });
    QObject::connect(&panel, &PanelHost::disappeared, [&] { ++disappeared; });
    const QRect icon(100, 0, 24, 24);
    panel.open(icon);
    QTest::keyClick(&panel, Qt::Key_Escape);
    EXPECT_FALSE(panel.isVisible());
    EXPECT_EQ(disappeared, 1);

    panel.open(icon);
    // Pressing the tray icon first takes the focus from the panel...
    QEvent deactivate(QEvent::WindowDeactivate);
    QCoreApplication::sendEvent(&panel, &deactivate);
    EXPECT_FALSE(panel.isVisible());
    // ...then the click arrives: the panel stays closed.
    panel.toggle(icon);
    EXPECT_FALSE(panel.isVisible());
    EXPECT_EQ(appeared, 2);
    EXPECT_EQ(disappeared, 2);

    // A later click opens it again.
    panel.open(icon);
    QCoreApplication::sendEvent(&panel, &deactivate);
    QTest::qWait(PanelHost::focusLossGuardMs + 50);
    panel.toggle(icon);
    EXPECT_TRUE(panel.isVisible());
}

} // namespace
