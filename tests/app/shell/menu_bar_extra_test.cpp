// The tray side of the shell: the status the icon shows as the session
// moves, the icons themselves, and the panel window's opening, closing and
// placement. The offscreen platform has no tray, so the panel opens as the
// standalone window there.

#include "app/fake_app_model.h"
#include "menu_bar_extra.h"
#include "panel_host.h"
#include "shell_test_support.h"

#include <QImage>
#include <QLabel>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

using namespace pelorin;
using namespace pelorin::fakes;
using StateKind = SessionState::Kind;

namespace {

class MenuBarExtraTest : public testing::Test, protected fakes::FakeAppModel {
protected:
    MenuBarExtraTest()
    {
        QCoro::waitFor(model->start());
        extra =
            std::make_unique<MenuBarExtra>(*model, [](AppModel &) { return new QLabel(QStringLiteral("content")); });
        QObject::connect(extra.get(), &MenuBarExtra::statusChanged,
                         [this](AppStatus status) { statuses.push_back(status); });
    }
    ~MenuBarExtraTest() override { extra.reset(); }

    std::unique_ptr<MenuBarExtra> extra;
    std::vector<AppStatus> statuses;
};

TEST_F(MenuBarExtraTest, StatusFollowsTheSession)
{
    EXPECT_EQ(extra->status(), AppStatus::off);
    model->countdown().start(SessionDuration::hour1());
    settle();
    service->last().succeed();
    settle();
    model->countdown().stop();
    settle();
    service->last().fail(EnergyFailure(EnergyFailure::Operation::release, -5, true));
    settle();
    EXPECT_EQ(extra->status(), AppStatus::failed);
    // "Try again" on a failure that keeps its session releases it.
    model->countdown().toggle();
    settle();
    service->last().succeed();
    settle();

    EXPECT_EQ(statuses, (std::vector<AppStatus>{AppStatus::working, AppStatus::on, AppStatus::working,
                                                AppStatus::failed, AppStatus::working, AppStatus::off}));
    EXPECT_EQ(extra->status(), AppStatus::off);
}

TEST_F(MenuBarExtraTest, FailureWithoutSessionShowsTheWarningUntilCleared)
{
    model->countdown().start(SessionDuration::hour1());
    settle();
    service->last().fail(EnergyFailure(EnergyFailure::Operation::createSystem, -2, false));
    settle();
    EXPECT_EQ(extra->status(), AppStatus::failed);
    EXPECT_EQ(symbolName(extra->status()), "exclamationmark.triangle.fill");
    model->countdown().stop();
    EXPECT_EQ(extra->status(), AppStatus::off);
    EXPECT_EQ(symbolName(extra->status()), "sun.max");
    EXPECT_EQ(statuses, (std::vector<AppStatus>{AppStatus::working, AppStatus::failed, AppStatus::off}));
}

TEST_F(MenuBarExtraTest, WithoutATrayThePanelOpensAsAWindowAtLaunch)
{
    if (QSystemTrayIcon::isSystemTrayAvailable())
        GTEST_SKIP() << "a tray is available";
    EXPECT_EQ(extra->trayIcon(), nullptr);
    ASSERT_NE(extra->panel(), nullptr);
    EXPECT_EQ(extra->panel()->style(), PanelHost::Style::standalone);
    extra->install();
    EXPECT_TRUE(extra->panel()->isOpen());
    EXPECT_TRUE(model->panelVisible());
    extra->panel()->hide();
    EXPECT_FALSE(model->panelVisible());
}

TEST_F(MenuBarExtraTest, ClosingTheStandaloneWindowOurselvesDoesNotQuit)
{
    // Only the desktop's close button (a spontaneous close, which the
    // offscreen platform cannot send) asks to quit.
    QSignalSpy quits(extra.get(), &MenuBarExtra::quitRequested);
    extra->install();
    extra->panel()->close();
    EXPECT_FALSE(extra->panel()->isOpen());
    EXPECT_EQ(quits.count(), 0);
}

class PanelHostTest : public testing::Test {
protected:
    PanelHostTest()
    {
        panel.setContent(new QLabel(QStringLiteral("content")));
        QObject::connect(&panel, &PanelHost::appeared, [this] { ++appeared; });
        QObject::connect(&panel, &PanelHost::disappeared, [this] { ++disappeared; });
    }

    PanelHost panel{PanelHost::Style::dropDown};
    int appeared = 0;
    int disappeared = 0;
};

TEST_F(PanelHostTest, EscapeCloses)
{
    panel.open(QRect());
    QTest::keyClick(&panel, Qt::Key_Escape);
    EXPECT_FALSE(panel.isOpen());
    EXPECT_EQ(disappeared, 1);
}

TEST_F(PanelHostTest, ClickOnTheIconThatTookTheFocusClosesForGood)
{
    panel.open(QRect(100, 0, 24, 24));
    // Pressing the tray icon first takes the focus from the panel...
    QEvent deactivate(QEvent::WindowDeactivate);
    QCoreApplication::sendEvent(&panel, &deactivate);
    EXPECT_FALSE(panel.isOpen());
    // ...then the click arrives: the panel stays closed.
    panel.toggle(QRect(100, 0, 24, 24));
    EXPECT_FALSE(panel.isOpen());
    EXPECT_EQ(appeared, 1);
    EXPECT_EQ(disappeared, 1);

    // A later click opens it again.
    panel.open(QRect(100, 0, 24, 24));
    QCoreApplication::sendEvent(&panel, &deactivate);
    QTest::qWait(PanelHost::focusLossGuardMs + 50);
    panel.toggle(QRect(100, 0, 24, 24));
    EXPECT_TRUE(panel.isOpen());
}

} // namespace
