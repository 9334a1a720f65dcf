#include "locale_formats.h"

#include <unicode/timezone.h>
#include <unicode/unistr.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <memory>

using namespace pelorin;

namespace {

// Wall-clock instant given in UTC.
Date utc(int year, unsigned month, unsigned day, int hour, int minute, int second = 0)
{
    using namespace std::chrono;
    const sys_seconds instant =
        sys_days{std::chrono::year{year} / month / day} + hours{hour} + minutes{minute} + seconds{second};
    return Date::fromUnixSeconds(static_cast<double>(instant.time_since_epoch().count()));
}

// ICU keeps its default zone for the life of the process; a test that needs
// another one swaps it in and puts the old one back.
class ScopedDefaultTimeZone {
public:
    explicit ScopedDefaultTimeZone(const char16_t *id) : m_saved(icu::TimeZone::createDefault())
    {
        icu::TimeZone::adoptDefault(icu::TimeZone::createTimeZone(icu::UnicodeString(id)));
    }
    ~ScopedDefaultTimeZone() { icu::TimeZone::adoptDefault(m_saved.release()); }
    ScopedDefaultTimeZone(const ScopedDefaultTimeZone &) = delete;
    ScopedDefaultTimeZone &operator=(const ScopedDefaultTimeZone &) = delete;

private:
    std::unique_ptr<icu::TimeZone> m_saved;
};

} // namespace

TEST(LocaleFormats, ShortTimeFollowsTheLocalesClock)
{
    const Date afternoon = utc(2024, 3, 5, 15, 45);
    EXPECT_EQ(formatShortTime(u"en_US", afternoon).toStdString(), "3:45\u202FPM");
    EXPECT_EQ(formatShortTime(u"de_DE", afternoon).toStdString(), "15:45");
    EXPECT_EQ(formatShortTime(u"de", afternoon).toStdString(), "15:45");

    const Date pastMidnight = utc(2024, 3, 5, 0, 5);
    EXPECT_EQ(formatShortTime(u"en_US", pastMidnight).toStdString(), "12:05\u202FAM");
    EXPECT_EQ(formatShortTime(u"de_DE", pastMidnight).toStdString(), "00:05");

    // BCP-47 tags and POSIX names name the same locales; the region decides
    // the clock.
    EXPECT_EQ(formatShortTime(u"en-US", afternoon).toStdString(), "3:45\u202FPM");
    EXPECT_EQ(formatShortTime(u"de_DE.UTF-8", afternoon).toStdString(), "15:45");
    EXPECT_EQ(formatShortTime(u"en-GB", afternoon).toStdString(), "15:45");
}

TEST(LocaleFormats, ShortTimeNeverShowsTheDate)
{
    // A two-hour span started at 23:50 ends on the next day at 1:50.
    const Date end = utc(2024, 3, 5, 23, 50).addingTimeInterval(2 * 3600);
    EXPECT_EQ(formatShortTime(u"en_US", end).toStdString(), "1:50\u202FAM");
    EXPECT_EQ(formatShortTime(u"de_DE", end).toStdString(), "01:50");
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
    EXPECT_FALSE(isSameCalendarYear(u"en_US", newYear, newYearsEve));
    EXPECT_TRUE(isSameCalendarYear(u"en_US", tomorrow, now));
}

TEST(LocaleFormats, SpokenDurationSpellsOutTheNonZeroUnits)
{
    EXPECT_EQ(formatSpokenDuration(u"en_US", Duration::seconds(3661)).toStdString(), "1 hour, 1 minute, 1 second");
    EXPECT_EQ(formatSpokenDuration(u"en_US", Duration::seconds(3662)).toStdString(), "1 hour, 1 minute, 2 seconds");
    EXPECT_EQ(formatSpokenDuration(u"en_US", Duration::seconds(7200)).toStdString(), "2 hours");
    EXPECT_EQ(formatSpokenDuration(u"en_US", Duration::seconds(3605)).toStdString(), "1 hour, 5 seconds");
    EXPECT_EQ(formatSpokenDuration(u"en_US", Duration::seconds(59)).toStdString(), "59 seconds");
    // No unit above the hour.
    EXPECT_EQ(formatSpokenDuration(u"en_US", Duration::seconds(49 * 3600 + 60)).toStdString(), "49 hours, 1 minute");

    EXPECT_EQ(formatSpokenDuration(u"de_DE", Duration::seconds(3661)).toStdString(),
              "1 Stunde, 1 Minute und 1 Sekunde");
    EXPECT_EQ(formatSpokenDuration(u"de", Duration::seconds(7200)).toStdString(), "2 Stunden");
    EXPECT_EQ(formatSpokenDuration(u"de_DE", Duration::seconds(1805)).toStdString(), "30 Minuten, 5 Sekunden");
}
