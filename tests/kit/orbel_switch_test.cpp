#include "kit_test_support.h"

#include "orbel_switch.h"

#include <QAccessible>
#include <QTest>

#include <functional>
#include <utility>

using namespace orbel;
using namespace orbel::test;

namespace {

struct Stored {
    bool value = false;
    bool refuses = false;
    int writes = 0;

    Binding<bool> binding()
    {
        return {[this] { return value; },
                [this](bool v) {
                    ++writes;
                    if (!refuses)
                        value = v;
                }};
    }
};

} // namespace

TEST(OrbelSwitch, SpaceAndClicksAnywhereInTheFrameToggle)
{
    OrbelSwitch toggle(QStringLiteral("Pelorin"), environmentFor(ColorScheme::Light));
    toggle.setMinimumSize(44, 44);
    toggle.resize(44, 44);

    QTest::keyClick(&toggle, Qt::Key_Space);
    EXPECT_TRUE(toggle.isChecked());
    QTest::keyClick(&toggle, Qt::Key_Space);
    EXPECT_FALSE(toggle.isChecked());

    // The corner lies outside the painted track but inside the frame.
    QTest::mouseClick(&toggle, Qt::LeftButton, {}, QPoint(1, 1));
    EXPECT_TRUE(toggle.isChecked());
}

// Every way of flipping the switch goes through the binding: the pointer,
// Space, and the actions a screen reader offers (which Qt maps to toggle()).
TEST(OrbelSwitch, EveryFlipWritesThroughItsBindingAndShowsWhatItReadsBack)
{
    const std::pair<const char *, std::function<void(OrbelSwitch &)>> flips[] = {
        {"click", [](OrbelSwitch &toggle) { toggle.click(); }},
        {"Space", [](OrbelSwitch &toggle) { QTest::keyClick(&toggle, Qt::Key_Space); }},
        {"toggle()", [](OrbelSwitch &toggle) { toggle.toggle(); }},
        {"accessible action",
         [](OrbelSwitch &toggle) {
             QAccessibleActionInterface *actions = QAccessible::queryAccessibleInterface(&toggle)->actionInterface();
             ASSERT_NE(actions, nullptr);
             const QStringList names = actions->actionNames();
             ASSERT_FALSE(names.isEmpty());
             // Whichever the switch offers first: what a screen reader's
             // default action runs.
             actions->doAction(names.constFirst());
         }},
    };
    for (const auto &[name, flip] : flips) {
        SCOPED_TRACE(name);
        Stored stored;
        OrbelSwitch toggle(QStringLiteral("Pelorin"), environmentFor(ColorScheme::Light));
        toggle.setBinding(stored.binding());
        EXPECT_FALSE(toggle.isChecked());

        flip(toggle);
        EXPECT_TRUE(stored.value);
        EXPECT_TRUE(toggle.isChecked());

        // The owner refuses the change: the switch snaps back.
        stored.refuses = true;
        flip(toggle);
        EXPECT_EQ(stored.writes, 2);
        EXPECT_TRUE(toggle.isChecked());

        // The owner changes it behind the switch's back: shown, not written.
        stored.value = false;
        toggle.syncFromBinding();
        EXPECT_FALSE(toggle.isChecked());
        EXPECT_EQ(stored.writes, 2);
    }
}

TEST(OrbelSwitch, DisabledSwitchCannotBeFlipped)
{
    Stored stored;
    OrbelSwitch toggle(QStringLiteral("Pelorin"), environmentFor(ColorScheme::Light));
    toggle.setBinding(stored.binding());
    toggle.resize(44, 44);
    toggle.setEnabled(false);
    QTest::mouseClick(&toggle, Qt::LeftButton, {}, QPoint(22, 22));
    QTest::keyClick(&toggle, Qt::Key_Space);
    EXPECT_EQ(stored.writes, 0);
    EXPECT_FALSE(toggle.isChecked());
}
