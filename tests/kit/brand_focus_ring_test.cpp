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

TEST(BrandFocusRing, MeasuresEightMoreThanTheControlAndPassesClicksThrough)
{
    RingWindow w;
    ASSERT_TRUE(w.activate());
    w.control->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(w.control, Qt::Key_A);
    ASSERT_TRUE(w.ring->isOn());

    EXPECT_EQ(w.ring->geometry(), w.control->geometry().adjusted(-4, -4, 4, 4));
    w.control->setGeometry(20, 30, 120, 40);
    EXPECT_EQ(w.ring->size(), QSize(128, 48));

    // Nothing under the pointer is ever the ring.
    for (const QPoint point : {w.ring->geometry().topLeft() + QPoint(1, 1), w.control->geometry().center(),
                               w.control->geometry().topLeft() + QPoint(1, 1)})
        EXPECT_NE(w.window.childAt(point), w.ring);
    clickAt(w.window, w.control->geometry().topLeft() + QPoint(1, 1));
    EXPECT_EQ(w.clicks, 1);

    // Screen readers do not see it.
    QAccessibleInterface *window = QAccessible::queryAccessibleInterface(&w.window);
    for (int i = 0; i < window->childCount(); ++i)
        EXPECT_NE(window->child(i)->object(), w.ring);
}

TEST(BrandFocusRing, DrawsAFaintPrimaryLineOutsideTheControl)
{
    for (const ColorScheme scheme : {ColorScheme::Light, ColorScheme::Dark}) {
        SCOPED_TRACE(schemeName(scheme));
        QWidget parent;
        parent.resize(120, 80);
        auto *control = new QWidget(&parent);
        control->setGeometry(30, 30, 60, 20);
        control->setFocusPolicy(Qt::StrongFocus);
        OrbelEnvironment environment = environmentFor(scheme);
        environment.keyboardUsed = true;
        auto *ring = new BrandFocusRing(control, RingShape::rectangle(), environment);
        parent.show();
        parent.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&parent));
        control->setFocus();
        ASSERT_TRUE(ring->isOn());

        const QColor background = BrandPalette::background(scheme);
        const QImage image = render(&parent, 1.0, background);
        // The line runs through the pixels 4 outside the control's edge.
        const QColor expected = composite(background, BrandPalette::primary55(scheme));
        EXPECT_TRUE(colorNear(image.pixelColor(60, 26), expected, 3));
        EXPECT_TRUE(colorNear(image.pixelColor(26, 40), expected, 3));
        EXPECT_TRUE(colorNear(image.pixelColor(60, 28), background, 1));
    }
}

TEST(BrandFocusRing, AnOffRingLeavesTheControlUntouched)
{
    QWidget bare;
    bare.resize(120, 60);
    auto *button = new QPushButton(QStringLiteral("Control"), &bare);
    button->setGeometry(20, 16, 80, 28);
    const QImage before = render(&bare, 1.0, Qt::white);

    new BrandFocusRing(button, RingShape::capsule(), environmentFor(ColorScheme::Light));
    EXPECT_EQ(render(&bare, 1.0, Qt::white), before);
    EXPECT_EQ(button->sizeHint(), QPushButton(QStringLiteral("Control")).sizeHint());
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
