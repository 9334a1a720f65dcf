// The tray's panel window as its content changes size while it is open: the
// edge by the tray icon stays where it is, and the panel stays on the screen.
#include "panel_host.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

using namespace pelorin;

namespace {

using Edge = PanelHost::AnchoredEdge;

TEST(PanelHostPlacement, AResizedPanelKeepsItsAnchoredEdge)
{
    const QRect available(0, 0, 1920, 1040);
    // Above a tray at the bottom: the bottom edge stays, the top moves.
    const QRect above(700, 640, 368, 400);
    EXPECT_EQ(PanelHost::resizedPlacement(above, QSize(368, 500), Edge::bottom, available), QPoint(700, 540));
    EXPECT_EQ(PanelHost::resizedPlacement(above, QSize(368, 300), Edge::bottom, available), QPoint(700, 740));
    // Under a tray at the top: the top edge stays.
    const QRect below(700, 32, 368, 400);
    EXPECT_EQ(PanelHost::resizedPlacement(below, QSize(368, 500), Edge::top, available), QPoint(700, 32));
}

TEST(PanelHostPlacement, AResizedPanelStaysInsideTheAvailableArea)
{
    const QRect available(0, 32, 1920, 1008);
    // Growing upwards past the top of the area: held at the top.
    EXPECT_EQ(PanelHost::resizedPlacement(QRect(700, 600, 368, 400), QSize(368, 1000), Edge::bottom, available),
              QPoint(700, 32));
    // Growing downwards past the bottom: pushed up until it fits.
    EXPECT_EQ(PanelHost::resizedPlacement(QRect(700, 800, 368, 200), QSize(368, 400), Edge::top, available),
              QPoint(700, 1040 - 400));
    // Taller than the whole area: the top edge wins.
    EXPECT_EQ(PanelHost::resizedPlacement(QRect(700, 800, 368, 200), QSize(368, 2000), Edge::top, available),
              QPoint(700, 32));
    // Wider than the room to the right: pushed left.
    EXPECT_EQ(PanelHost::resizedPlacement(QRect(1800, 32, 100, 200), QSize(368, 200), Edge::top, available),
              QPoint(1920 - 368, 32));
}

// A real panel window with content whose height a test changes, as a notice
// or a started session changes the panel's.
class OpenPanel : public testing::Test {
protected:
    OpenPanel()
    {
        content = new QWidget;
        content->setFixedSize(368, 200);
        panel.setContent(content);
    }

    ~OpenPanel() override { panel.hide(); }

    QRect available() const { return QGuiApplication::primaryScreen()->availableGeometry(); }

    void setContentHeight(int height)
    {
        content->setFixedSize(368, height);
        // The window follows its content once the layout has run.
        QCoreApplication::sendPostedEvents();
        panel.layout()->activate();
        QCoreApplication::processEvents();
    }

    PanelHost panel{PanelHost::Style::dropDown};
    QWidget *content;
};

TEST_F(OpenPanel, OpenedUpwardsItGrowsAndShrinksAboveTheIcon)
{
    const QRect area = available();
    const QRect icon(area.center().x(), area.bottom() - 23, 24, 24);
    panel.open(icon);
    QCoreApplication::processEvents();
    ASSERT_TRUE(panel.isOpen());
    EXPECT_EQ(panel.anchoredEdge(), Edge::bottom);
    EXPECT_EQ(panel.geometry().bottom(), icon.top() - 1);

    setContentHeight(300);
    EXPECT_EQ(panel.height(), 300);
    EXPECT_EQ(panel.geometry().bottom(), icon.top() - 1);

    setContentHeight(120);
    EXPECT_EQ(panel.height(), 120);
    EXPECT_EQ(panel.geometry().bottom(), icon.top() - 1);

    // Taller than the screen allows: it stays inside, top edge first.
    setContentHeight(area.height() + 100);
    EXPECT_EQ(panel.y(), area.top());
}

TEST_F(OpenPanel, OpenedDownwardsItKeepsItsTopAndStaysOnTheScreen)
{
    const QRect area = available();
    const QRect icon(area.center().x(), area.top(), 24, 24);
    panel.open(icon);
    QCoreApplication::processEvents();
    ASSERT_TRUE(panel.isOpen());
    EXPECT_EQ(panel.anchoredEdge(), Edge::top);
    EXPECT_EQ(panel.y(), icon.bottom() + 1);

    setContentHeight(300);
    EXPECT_EQ(panel.y(), icon.bottom() + 1);

    // Past the bottom of the area: pushed up just enough.
    setContentHeight(area.height() - 10);
    EXPECT_EQ(panel.geometry().bottom(), area.bottom());
}

} // namespace
