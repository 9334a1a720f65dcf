// End times, end dates and spoken durations in the locale's own formats.
#include "locale_formats.h"

#include "panel_test_support.h"

#include <QRegularExpression>
#include <QScopeGuard>

#include <optional>

using namespace pelorin;
using pelorin::paneltest::LocalZone;
using pelorin::paneltest::utc;
using namespace Qt::StringLiterals;

// One clock per locale: the locale's region decides the 12- or 24-hour clock
// unless the locale names its own hour cycle ("-u-hc-"), and then that holds
// for the short time and the end date alike. The locale may be named in
// POSIX or BCP-47 form, and digits are Latin whatever the locale writes.
TEST(LocaleFormats, OneClockPerLocaleInLatinDigits)
{
    const Date now = utc(2024, 1, 2, 22, 0);
    const Date afternoon = utc(2024, 1, 2, 15, 45);
    const Date tomorrow = utc(2024, 1, 3, 1, 50);
    const struct {
        const char16_t *locale;
        const char16_t *time;
        const char16_t *endDate;
    } rows[] = {
        {u"en_US", u"3:45\u202FPM", u"Wed, Jan 3, 1:50\u202FAM"},
        {u"en-US", u"3:45\u202FPM", u"Wed, Jan 3, 1:50\u202FAM"},
        {u"en-US-u-hc-h23", u"15:45", u"Wed, Jan 3, 01:50"},
        {u"en-GB", u"15:45", u"Wed, 3 Jan, 01:50"},
        {u"en-GB-u-hc-h12", u"3:45\u202Fpm", u"Wed, 3 Jan, 1:50\u202Fam"},
        {u"de_DE", u"15:45", u"Mi., 3. Jan., 01:50"},
        {u"de", u"15:45", u"Mi., 3. Jan., 01:50"},
        {u"de_DE.UTF-8", u"15:45", u"Mi., 3. Jan., 01:50"},
        {u"de-DE-u-hc-h12", u"3:45\u202FPM", u"Mi., 3. Jan., 1:50\u202FAM"},
        // A language without data is English, on the clock it asks for.
        {u"xx-u-hc-h23", u"15:45", u"Wed, Jan 3, 01:50"},
    };
    for (const auto &row : rows) {
        const std::string locale = QString::fromUtf16(row.locale).toStdString();
        EXPECT_EQ(formatShortTime(row.locale, afternoon).toStdString(), QString::fromUtf16(row.time).toStdString())
            << locale;
        EXPECT_EQ(formatEndDate(row.locale, tomorrow, now).toStdString(), QString::fromUtf16(row.endDate).toStdString())
            << locale;
    }
    // Locales of other digits, whose words are ICU's to change: Latin digits
    // alone, on the region's 12-hour clock.
    const QRegularExpression time(u"^\\D*3:45\\D*$"_s, QRegularExpression::UseUnicodePropertiesOption);
    const QRegularExpression endDate(u"^\\D*3\\D+1:50\\D*$"_s, QRegularExpression::UseUnicodePropertiesOption);
    for (const char16_t *locale : {u"ar_EG", u"hi_IN"}) {
        EXPECT_TRUE(time.match(formatShortTime(locale, afternoon)).hasMatch())
            << formatShortTime(locale, afternoon).toStdString();
        EXPECT_TRUE(endDate.match(formatEndDate(locale, tomorrow, now)).hasMatch())
            << formatEndDate(locale, tomorrow, now).toStdString();
    }
}

// Named no locale, times are written in the C library's: LC_ALL, else
// LC_TIME (a desktop's formats), else LANG (its language).
TEST(LocaleFormats, WithoutALocaleTimesFollowTheEnvironmentsTimeLocale)
{
    const char *const variables[] = {"LC_ALL", "LC_TIME", "LANG"};
    std::optional<QByteArray> saved[std::size(variables)];
    for (std::size_t i = 0; i < std::size(variables); ++i) {
        if (qEnvironmentVariableIsSet(variables[i]))
            saved[i] = qgetenv(variables[i]);
    }
    const auto restore = qScopeGuard([&] {
        for (std::size_t i = 0; i < std::size(variables); ++i)
            saved[i] ? qputenv(variables[i], *saved[i]) : qunsetenv(variables[i]);
    });
    const Date afternoon = utc(2024, 1, 2, 15, 45);
    const struct {
        const char *all;
        const char *time;
        const char *lang;
        const char16_t *expected;
    } rows[] = {
        {"", "en_GB.UTF-8", "en_US.UTF-8", u"15:45"},
        {"", "", "en_US.UTF-8", u"3:45\u202FPM"},
        {"de_DE.UTF-8", "en_US.UTF-8", "en_US.UTF-8", u"15:45"},
        {"", "en_US.UTF-8", "de_DE.UTF-8", u"3:45\u202FPM"},
    };
    for (const auto &row : rows) {
        qputenv("LC_ALL", row.all);
        qputenv("LC_TIME", row.time);
        qputenv("LANG", row.lang);
        EXPECT_EQ(formatShortTime(u"", afternoon).toStdString(), QString::fromUtf16(row.expected).toStdString())
            << "LC_ALL=" << row.all << " LC_TIME=" << row.time << " LANG=" << row.lang;
    }
}

TEST(LocaleFormats, EndDateAddsTheYearOnlyInAnotherYear)
{
    const Date newYearsEve = utc(2024, 12, 31, 23, 0);
    const Date newYear = utc(2025, 1, 1, 1, 30);
    EXPECT_EQ(formatEndDate(u"en_US", newYear, newYearsEve).toStdString(), "Wed, Jan 1, 2025, 1:30\u202FAM");
    EXPECT_EQ(formatEndDate(u"de_DE", newYear, newYearsEve).toStdString(), "Mi., 1. Jan. 2025, 01:30");
}

// Times are local as the C library has them, POSIX rules included, which ICU
// alone reads as UTC; the day an end falls on is the local day.
TEST(LocaleFormats, LocalTimeIsTheCLibrarysWhateverFormTzTakes)
{
    const struct {
        const char *zone;
        Date now;
        Date end;
        const char *time;
        bool sameDay;
        const char *endDate;
    } rows[] = {
        {"CET-1CEST,M3.5.0,M10.5.0/3", utc(2024, 1, 15, 11, 0), utc(2024, 1, 15, 12, 0), "13:00", true,
         "Mo., 15. Jan., 13:00"},
        // Across the change to summer time, 01:30 plus two hours is 04:30.
        {"CET-1CEST,M3.5.0,M10.5.0/3", utc(2024, 3, 31, 0, 30), utc(2024, 3, 31, 2, 30), "04:30", true,
         "So., 31. März, 04:30"},
        // 22:45 plus two hours is tomorrow, although both are today in UTC.
        {"<+1345>-13:45", utc(2024, 3, 5, 9, 0), utc(2024, 3, 5, 11, 0), "00:45", false, "Mi., 6. März, 00:45"},
        {"JST-9", utc(2024, 3, 5, 15, 0), utc(2024, 3, 5, 15, 45), "00:45", true, "Mi., 6. März, 00:45"},
        {"EST5EDT,M3.2.0,M11.1.0", utc(2024, 7, 1, 11, 0), utc(2024, 7, 1, 12, 0), "08:00", true,
         "Mo., 1. Juli, 08:00"},
    };
    for (const auto &row : rows) {
        const LocalZone zone(row.zone);
        EXPECT_EQ(formatShortTime(u"de_DE", row.end).toStdString(), row.time) << row.zone;
        EXPECT_EQ(isSameCalendarDay(u"de_DE", row.end, row.now), row.sameDay) << row.zone;
        EXPECT_EQ(formatEndDate(u"de_DE", row.end, row.now).toStdString(), row.endDate) << row.zone;
    }
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
