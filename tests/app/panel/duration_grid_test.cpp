// The six duration tiles: their texts, their clicks, and the end times that
// move on with the wall clock.
#include "panel_test_support.h"

#include "locale_formats.h"

#include <QAccessible>

#include <vector>

using namespace pelorin;
using namespace pelorin::paneltest;

namespace {

struct GridFixture {
    GridFixture()
    {
        grid =
            std::make_unique<DurationGrid>([this](const SessionDuration &duration) { started.push_back(duration); },
                                           QStringLiteral("en_US"), orbel::OrbelEnvironment{}, [this] { return now; });
        grid->resize(336, grid->heightForWidth(336));
    }

    void open()
    {
        grid->show();
        grid->resize(336, grid->heightForWidth(336));
        fakes::settle();
    }

    Date now = utc(2025, 3, 14, 23, 50);
    std::vector<SessionDuration> started;
    std::unique_ptr<DurationGrid> grid;
};

QString untilAt(Date end)
{
    return QStringLiteral("until ") + formatShortTime(u"en_US", end);
}

} // namespace

TEST(DurationGrid, EndTimesShowNoDateEvenOnTheNextDay)
{
    GridFixture fixture;
    const Date now = fixture.now;
    EXPECT_EQ(fixture.grid->tile(SessionDuration::minutes30())->subtitle(), untilAt(now.addingTimeInterval(1800)));
    // 23:50 plus two hours is 1:50 AM the next day: still only the time.
    const QString twoHours = fixture.grid->tile(SessionDuration::hours2())->subtitle();
    EXPECT_EQ(twoHours, untilAt(now.addingTimeInterval(7200)));
    EXPECT_TRUE(twoHours.startsWith(QStringLiteral("until 1:50"))) << twoHours.toStdString();
    EXPECT_TRUE(twoHours.endsWith(QStringLiteral("AM"))) << twoHours.toStdString();
    EXPECT_EQ(fixture.grid->tile(SessionDuration::untilStopped())->subtitle(), QStringLiteral("until you turn it off"));
}

TEST(DurationGrid, ClickAnywhereInATileStartsItsDuration)
{
    GridFixture fixture;
    fixture.open();
    DurationTile *tile = fixture.grid->tile(SessionDuration::hours4());
    QTest::mouseClick(tile, Qt::LeftButton);
    // The empty area beside the texts belongs to the tile as well.
    QTest::mouseClick(tile, Qt::LeftButton, {}, QPoint(6, tile->height() / 2));
    ASSERT_EQ(fixture.started.size(), 2u);
    EXPECT_EQ(fixture.started[0], SessionDuration::hours4());
    EXPECT_EQ(fixture.started[1], SessionDuration::hours4());
    // The very corner lies outside the rounded shape.
    QTest::mouseClick(tile, Qt::LeftButton, {}, QPoint(1, 1));
    EXPECT_EQ(fixture.started.size(), 2u);
}

TEST(DurationGrid, DisabledGridStartsNothing)
{
    GridFixture fixture;
    fixture.open();
    fixture.grid->setEnabled(false);
    for (DurationTile *tile : fixture.grid->tiles()) {
        EXPECT_FALSE(tile->isEnabled());
        QTest::mouseClick(tile, Qt::LeftButton);
    }
    EXPECT_TRUE(fixture.started.empty());
}
