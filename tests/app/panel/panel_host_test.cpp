// The tray's panel window as its content changes size while it is open: the
// edge by the tray icon stays where it is, and the panel stays on the screen,
// on a laptop with a taller second screen too (two_screens.json: 800 and
// 1200 high). And as a keyboard user meets it: no control is focused on
// opening, and every control Tab reaches shows where focus is.
#include "panel_host.h"

#include "panel_test_support.h"
#include "pelorin_panel_viewport.h"
#include "snapshot_window.h"

#include "widget_pictures.h"

#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>

using namespace pelorin;
using namespace Qt::StringLiterals;

namespace {

// A real panel window opened above a tray icon at the bottom of the screen,
// with content whose height changes, as a notice or a started session
// changes the panel's.
TEST(OpenPanel, OpenedUpwardsItGrowsAndShrinksAboveTheIcon)
{
    PanelHost panel(PanelHost::Style::dropDown);
    auto *content = new QWidget;
    content->setFixedSize(368, 200);
    panel.setContent(content);
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect icon(area.center().x(), area.bottom() - 23, 24, 24);
    panel.open(icon);
    QCoreApplication::processEvents();
    ASSERT_TRUE(panel.isOpen());
    EXPECT_EQ(panel.geometry().bottom(), icon.top() - 1);

    for (const int height : {300, 120}) {
        content->setFixedSize(368, height);
        fakes::settle();
        EXPECT_EQ(panel.height(), height);
        EXPECT_EQ(panel.geometry().bottom(), icon.top() - 1);
    }

    // Taller than the screen allows: it stays inside, top edge first.
    content->setFixedSize(368, area.height() + 100);
    fakes::settle();
    EXPECT_EQ(panel.y(), area.top());
    panel.hide();
}

// The panel is never taller than the screen it opens on, less 32: before it
// knows that screen, the limit is the smallest screen's; once its window
// reports its own, that one's. On the laptop's screen the panel's bottom
// (End, Quit) is reached by scrolling; on the taller one it all shows.
TEST(OpenPanel, ItFitsTheSmallestScreenUntilItKnowsItsOwn)
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    ASSERT_EQ(screens.size(), 2) << "run with -platform offscreen:configfile=two_screens.json";
    const int smallest = std::min(screens[0]->availableGeometry().height(), screens[1]->availableGeometry().height());
    constexpr int contentHeight = 1000;
    for (QScreen *screen : screens) {
        SCOPED_TRACE(screen->name().toStdString());
        auto *content = new QWidget;
        content->setFixedSize(368, contentHeight);
        auto *viewport = new PelorinPanelViewport(content, orbel::OrbelEnvironment{});
        EXPECT_EQ(viewport->sizeHint().height(), smallest - 32);

        PanelHost panel(PanelHost::Style::dropDown);
        panel.setContent(viewport);
        const QRect area = screen->availableGeometry();
        panel.open(QRect(area.center().x(), area.top(), 24, 24));
        const int limit = area.height() - 32;
        ASSERT_TRUE(QTest::qWaitFor([&] { return panel.height() == std::min(contentHeight, limit); }))
            << panel.height() << " on a screen " << area.height() << " high";
        // Once the window has reported its screen, as well.
        fakes::settle();
        EXPECT_EQ(panel.height(), std::min(contentHeight, limit));
        EXPECT_EQ(panel.screen(), screen);
        EXPECT_TRUE(area.contains(panel.geometry()));
        EXPECT_EQ(viewport->scrollArea()->verticalScrollBar()->maximum(), std::max(0, contentHeight - limit));
        panel.hide();
    }
}

// Opened, the panel focuses none of its controls, so a stray Space or Return
// changes nothing; Tab then reaches each control in turn, and each shows its
// ring while it has the focus.
TEST(PanelKeyboard, OpeningFocusesNoControlAndEveryTabStopShowsItsRing)
{
    struct Case {
        const char *name;
        SnapshotWindow::Scenario scenario;
        QStringList stops;
    };
    const QStringList tiles{
        u"30 min"_s, u"1 h"_s, u"2 h"_s, u"4 h"_s, u"8 h"_s, u"No limit"_s, u"Keep the display always awake"_s};
    const QStringList footer{u"Preferences"_s, u"Getting Started"_s, u"Quit"_s};
    const Case cases[] = {
        {"ready", SnapshotWindow::Scenario::ready, QStringList{u"Pelorin"_s} + tiles + footer},
        {"active", SnapshotWindow::Scenario::active,
         QStringList{u"Pelorin"_s, u"Add 30 minutes"_s, u"End the session"_s} + footer},
        {"failure", SnapshotWindow::Scenario::failure, QStringList{u"Pelorin"_s, u"Try again"_s} + tiles + footer},
    };
    for (const Case &test : cases) {
        SCOPED_TRACE(test.name);
        paneltest::PanelFixture fixture(true);
        AppModel &model = *fixture.engine.model;
        fixture.view->stage(
            SnapshotWindow::stagedSession(test.scenario, model.countdown().selection(), fixture.engine.clock.wall));
        const auto settings = [&model] {
            return std::make_tuple(model.preferences().armed(), model.countdown().selection().keepsDisplayAwake,
                                   model.countdown().state().kind());
        };
        const auto before = settings();

        // A window of its own that stays open whatever else is active.
        PanelHost host(PanelHost::Style::standalone);
        host.setContent(fixture.view.release());
        host.open(QRect());
        ASSERT_TRUE(QTest::qWaitForWindowActive(&host));
        EXPECT_EQ(QApplication::focusWidget(), &host);
        // Keys go where the focus is, as the desktop's keys do.
        for (const Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter})
            QTest::keyClick(QApplication::focusWidget(), key);
        fakes::settle();
        EXPECT_EQ(settings(), before) << "a key pressed on the opened panel changed something";

        const QImage unfocused = host.grab().toImage();
        QStringList visited;
        for (const test::FocusStop &stop : test::tabThrough(&host, unfocused)) {
            QString name = stop.widget->accessibleName();
            if (const auto *button = qobject_cast<const QAbstractButton *>(stop.widget); name.isEmpty() && button)
                name = button->text();
            visited.append(name);
            EXPECT_TRUE(stop.marked) << name.toStdString() << " shows no focus";
        }
        EXPECT_EQ(visited.join(u", "_s).toStdString(), test.stops.join(u", "_s).toStdString());
        EXPECT_EQ(settings(), before) << "Tab changed something";
    }
}

} // namespace
