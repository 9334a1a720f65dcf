#include "kit_test_support.h"

#include "brand_focus_ring.h"
#include "keyboard_use_monitor.h"
#include "keyboard_use_tracker.h"

#include <QAccessible>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace orbel;
using namespace orbel::test;

namespace {

// A window as a screen builds it: its controls get rings, and its tracker's
// verdict goes down to them through the environment.
struct RingWindow {
    QWidget window;
    QPushButton *control;
    QPushButton *other;
    BrandFocusRing *ring;
    KeyboardUseTracker *tracker;
    int clicks = 0;

    RingWindow()
    {
        window.resize(240, 120);
        control = new QPushButton(QStringLiteral("Control"), &window);
        control->setGeometry(40, 40, 100, 28);
        other = new QPushButton(QStringLiteral("Other"), &window);
        other->setGeometry(160, 40, 60, 28);
        QObject::connect(control, &QPushButton::clicked, [this] { ++clicks; });
        ring = new BrandFocusRing(control, RingShape::roundedRect(6), environmentFor(ColorScheme::Light));
        tracker = new KeyboardUseTracker(&window);
        QObject::connect(tracker, &KeyboardUseTracker::keyboardUsedChanged, [this](bool used) {
            OrbelEnvironment environment = environmentFor(ColorScheme::Light);
            environment.keyboardUsed = used;
            propagateEnvironment(&window, environment);
        });
    }

    bool activate()
    {
        window.show();
        window.activateWindow();
        return QTest::qWaitForWindowActive(&window);
    }
};

void clickAt(QWidget &window, QPoint point)
{
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, point);
}

} // namespace

TEST(BrandFocusRing, PointerUseNeverShowsARing)
{
    RingWindow w;
    ASSERT_TRUE(w.activate());
    clickAt(w.window, w.control->geometry().center());
    EXPECT_EQ(w.clicks, 1);
    EXPECT_TRUE(w.control->hasFocus());
    EXPECT_FALSE(w.tracker->keyboardUsed());
    EXPECT_FALSE(w.ring->isOn());
    EXPECT_FALSE(w.ring->isVisible());
}

TEST(BrandFocusRing, AnyKeyShowsItAndReactivationHidesIt)
{
    RingWindow w;
    ASSERT_TRUE(w.activate());
    w.control->setFocus(Qt::OtherFocusReason);
    EXPECT_FALSE(w.ring->isOn());

    QTest::keyClick(w.control, Qt::Key_Shift);
    EXPECT_TRUE(w.tracker->keyboardUsed());
    EXPECT_TRUE(w.ring->isOn());
    EXPECT_TRUE(w.ring->isVisible());

    // Focus moves on: the ring goes with the control's focus.
    w.other->setFocus(Qt::TabFocusReason);
    EXPECT_FALSE(w.ring->isOn());
    w.control->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(w.ring->isOn());

    // Another window takes over, then this one comes back: no ring until a key.
    QWidget elsewhere;
    elsewhere.show();
    elsewhere.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&elsewhere));
    EXPECT_TRUE(w.tracker->keyboardUsed()) << "kept while inactive";
    EXPECT_FALSE(w.tracker->isMonitoring());
    ASSERT_TRUE(w.activate());
    EXPECT_FALSE(w.tracker->keyboardUsed());
    EXPECT_FALSE(w.ring->isOn());

    QTest::keyClick(w.control, Qt::Key_Tab);
    EXPECT_TRUE(w.tracker->keyboardUsed());
}

TEST(KeyboardUseMonitor, SeesKeysAndPassesThemOnUnchanged)
{
    QLineEdit field;
    int seen = 0;
    int second = 0;
    KeyboardUseMonitor monitor;
    monitor.start([&] { ++seen; });
    monitor.start([&] { ++second; });
    QTest::keyClicks(&field, QStringLiteral("abc"));
    EXPECT_EQ(field.text(), QStringLiteral("abc"));
    EXPECT_GE(seen, 3);
    EXPECT_EQ(second, 0) << "the first handler stays";

    monitor.stop();
    monitor.stop();
    const int before = seen;
    QTest::keyClick(&field, Qt::Key_D);
    EXPECT_EQ(seen, before);
    EXPECT_EQ(field.text(), QStringLiteral("abcd"));

    monitor.start([&] { ++second; });
    QTest::keyClick(&field, Qt::Key_E);
    EXPECT_GE(second, 1);
}
