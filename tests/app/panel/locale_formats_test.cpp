// End times, end dates and spoken durations in the locale's own formats.
#include "locale_formats.h"

#include "panel_test_support.h"

using namespace pelorin;
using pelorin::paneltest::utc;

// The locale's region decides the 12- or 24-hour clock, whether it is named
// in POSIX or BCP-47 form, and the date never shows.
TEST(LocaleFormats, ShortTimeFollowsTheLocalesClock)
{
    const Date afternoon = utc(2024, 3, 5, 15, 45);
    const Date pastMidnight = utc(2024, 3, 5, 0, 5);
    // A two-hour span started at 23:50 ends on the next day at 1:50.
    const Date nextDay = utc(2024, 3, 5, 23, 50).addingTimeInterval(2 * 3600);
    const struct {
        const char16_t *locale;
        Date date;
        const char *expected;
    } rows[] = {
        {u"en_US", afternoon, "3:45\u202FPM"},
        {u"de_DE", afternoon, "15:45"},
        {u"de", afternoon, "15:45"},
        {u"en-US", afternoon, "3:45\u202FPM"},
        {u"de_DE.UTF-8", afternoon, "15:45"},
        {u"en-GB", afternoon, "15:45"},
        {u"en_US", pastMidnight, "12:05\u202FAM"},
        {u"de_DE", pastMidnight, "00:05"},
        {u"en_US", nextDay, "1:50\u202FAM"},
        {u"de_DE", nextDay, "01:50"},
    };
    for (const auto &row : rows)
        EXPECT_EQ(formatShortTime(row.locale, row.date).toStdString(), row.expected)
            << QString::fromUtf16(row.locale).toStdString();
}

TEST(LocaleFormats, EndDateAddsTheYearOnlyInAnotherYear)
{
    const Date now = utc(2024, 1, 2, 22, 0);
    const Date tomorrow = utc(2024, 1, 3, 1, 50);
    EXPECT_EQ(formatEndDate(u"en_US", tomorrow, now).toStdString(), "Wed, Jan 3, 1:50\u202FAM");
    EXPECT_EQ(formatEndDate(u"de_DE", tomorrow, now).toStdString(), "Mi., 3. Jan., 01:50");

    const Date newYearsEve = utc(2024, 12, 31, 23, 0);
    const Date newYear = utc(2025, 1, 1, 1, 30);
    EXPECT_EQ(formatEndDate(u"en_US", newYear, newYearsEve).toStdString(), "Wed, Jan 1, 2025, 1:30\u202FAM");
    EXPECT_EQ(formatEndDate(u"de_DE", newYear, newYearsEve).toStdString(), "Mi., 1. Jan. 2025, 01:30");
}

// Only the units that are not zero, and none above the hour.
TEST(LocaleFormats, SpokenDurationSpellsOutTheNonZeroUnits)
{
    const struct {
        const char16_t *locale;
        int seconds;
        const char *expected;
    } rows[] = {
        {u"en_US", 3661, "1 hour, 1 minute, 1 second"},
        {u"en_US", 3662, "1 hour, 1 minute, 2 seconds"},
        {u"en_US", 3605, "1 hour, 5 seconds"},
        {u"en_US", 59, "59 seconds"},
        {u"en_US", 49 * 3600 + 60, "49 hours, 1 minute"},
        {u"de_DE", 3661, "1 Stunde, 1 Minute und 1 Sekunde"},
        {u"de", 7200, "2 Stunden"},
        {u"de_DE", 1805, "30 Minuten, 5 Sekunden"},
    };
    for (const auto &row : rows)
        EXPECT_EQ(formatSpokenDuration(row.locale, Duration::seconds(row.seconds)).toStdString(), row.expected)
            << row.seconds;
}
