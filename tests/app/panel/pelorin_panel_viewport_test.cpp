// The viewport that keeps the panel on the screen: the height limit, the
// choice between the natural height and a scrolling one, and the reports of
// the screen the panel is on.
#include "panel_test_support.h"

#include "pelorin_panel_viewport.h"

#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QWindow>

#include <limits>

using namespace pelorin;
using namespace pelorin::paneltest;

namespace {

// Content of a given height at the panel's width.
QWidget *block(int height)
{
    auto *widget = new QWidget;
    widget->setFixedSize(368, height);
    return widget;
}

double limitFor(std::optional<double> snapshot, std::optional<double> window, const QList<double> &screens)
{
    return PelorinPanelViewport::maximumHeight(snapshot, window, screens);
}

} // namespace

TEST(PanelViewportLimit, FollowsTheForcedHeightThenTheWindowThenTheScreens)
{
    // A forced height stands as it is, whatever the screens: no margin.
    EXPECT_EQ(limitFor(300.0, 1415.0, {875.0}), 300.0);
    // The window's screen, less the margin.
    EXPECT_EQ(limitFor(std::nullopt, 1415.0, {1415.0, 875.0}), 1383.0);
    // Before the first report, the smallest screen less the margin.
    EXPECT_EQ(limitFor(std::nullopt, std::nullopt, {1415.0, 875.0}), 843.0);
    // Never below zero.
    EXPECT_EQ(limitFor(std::nullopt, std::nullopt, {20.0}), 0.0);
    EXPECT_EQ(limitFor(std::nullopt, 20.0, {}), 0.0);
    // No screen and no report: no limit at all.
    EXPECT_EQ(limitFor(std::nullopt, std::nullopt, {}), std::numeric_limits<double>::max());
}

TEST(PanelViewport, ShortContentShowsAtItsNaturalHeight)
{
    PelorinPanelViewport viewport(block(200), {}, 300.0);
    viewport.show();
    viewport.resize(viewport.sizeHint());
    fakes::settle();
    EXPECT_FALSE(viewport.isScrolling());
    EXPECT_EQ(viewport.sizeHint(), QSize(368, 200));
    EXPECT_EQ(viewport.scrollArea()->verticalScrollBar()->maximum(), 0);
    EXPECT_TRUE(viewport.scrollIndicator()->isHidden());
}

TEST(PanelViewport, TallContentScrollsInExactlyTheLimit)
{
    PelorinPanelViewport viewport(block(500), {}, 300.0);
    viewport.show();
    viewport.resize(viewport.sizeHint());
    fakes::settle();
    EXPECT_TRUE(viewport.isScrolling());
    EXPECT_EQ(viewport.size(), QSize(368, 300));
    // The content keeps its whole height and scrolls, with an indicator.
    EXPECT_EQ(viewport.content()->size(), QSize(368, 500));
    EXPECT_EQ(viewport.scrollArea()->verticalScrollBar()->maximum(), 200);
    EXPECT_FALSE(viewport.scrollIndicator()->isHidden());
    EXPECT_EQ(viewport.scrollIndicator()->geometry().right(), 367);
    // The content is not narrowed by a scroll bar.
    EXPECT_EQ(viewport.scrollArea()->viewport()->width(), 368);
}

TEST(PanelViewport, FollowsTheContentAsItGrows)
{
    QWidget *content = block(200);
    PelorinPanelViewport viewport(content, {}, 300.0);
    viewport.show();
    fakes::settle();
    EXPECT_FALSE(viewport.isScrolling());

    content->setFixedHeight(450);
    viewport.fit();
    EXPECT_TRUE(viewport.isScrolling());
    EXPECT_EQ(viewport.sizeHint(), QSize(368, 300));

    content->setFixedHeight(120);
    viewport.fit();
    EXPECT_FALSE(viewport.isScrolling());
    EXPECT_EQ(viewport.sizeHint(), QSize(368, 120));
}

TEST(PanelViewport, FractionalLimitRoundsDown)
{
    PelorinPanelViewport viewport(block(500), {}, 300.7);
    EXPECT_EQ(viewport.sizeHint().height(), 300);
}

TEST(PanelViewport, TheWindowsScreenSetsTheLimitOnceShown)
{
    QScreen *screen = QGuiApplication::primaryScreen();
    ASSERT_TRUE(screen);
    const double available = screen->availableGeometry().height();
    PelorinPanelViewport viewport(block(100), {});
    EXPECT_FALSE(viewport.windowHeight());
    EXPECT_EQ(viewport.maximumHeight(), available - 32);

    viewport.show();
    QTRY_COMPARE(viewport.windowHeightReports(), 1);
    EXPECT_EQ(viewport.windowHeight(), available);
    EXPECT_EQ(viewport.maximumHeight(), available - 32);

    // Content taller than the screen scrolls within it.
    viewport.content()->setFixedHeight(int(available) + 100);
    viewport.fit();
    EXPECT_TRUE(viewport.isScrolling());
    EXPECT_EQ(viewport.sizeHint().height(), int(available) - 32);
}

TEST(PanelViewport, EveryReportCountsEvenWhenTheHeightIsTheSame)
{
    PelorinPanelViewport viewport(block(100), {});
    viewport.show();
    QTRY_COMPARE(viewport.windowHeightReports(), 1);

    viewport.screenReader()->report();
    viewport.screenReader()->report();
    // Applied on the next turn of the event loop, not during the report.
    EXPECT_EQ(viewport.windowHeightReports(), 1);
    QTRY_COMPARE(viewport.windowHeightReports(), 3);
}

TEST(PanelViewport, AWindowMovingScreenReportsAgain)
{
    PelorinPanelViewport viewport(block(100), {});
    viewport.show();
    QTRY_COMPARE(viewport.windowHeightReports(), 1);
    QWindow *window = viewport.windowHandle();
    ASSERT_TRUE(window);
    ASSERT_EQ(viewport.screenReader()->window(), window);

    Q_EMIT window->screenChanged(window->screen());
    QTRY_COMPARE(viewport.windowHeightReports(), 2);
    Q_EMIT window->screen()->availableGeometryChanged(window->screen()->availableGeometry());
    QTRY_COMPARE(viewport.windowHeightReports(), 3);
}

TEST(PanelViewport, DetachedReaderReportsNothing)
{
    PelorinPanelViewport viewport(block(100), {});
    QSignalSpy reports(viewport.screenReader(), &PanelScreenReader::heightChanged);
    viewport.screenReader()->detach();
    viewport.show();
    viewport.screenReader()->report();
    fakes::settle();
    EXPECT_EQ(reports.count(), 0);
    EXPECT_FALSE(viewport.screenReader()->isAttached());
    EXPECT_EQ(viewport.windowHeightReports(), 0);
}
