#include "locale_formats.h"

#include <unicode/calendar.h>
#include <unicode/datefmt.h>
#include <unicode/dtptngen.h>
#include <unicode/locid.h>
#include <unicode/measfmt.h>
#include <unicode/measunit.h>
#include <unicode/measure.h>
#include <unicode/simpletz.h>
#include <unicode/smpdtfmt.h>
#include <unicode/unistr.h>
#include <unicode/ures.h>

#include <QByteArray>

#include <cmath>
#include <cstdint>
#include <ctime>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace pelorin {

namespace {

// ICU's calendars cover some ±5.8 million years; stay well inside that so no
// field computation runs off its tables. The program never names an instant
// past the year 4001.
constexpr double maxAbsoluteMillis = 1e17;

// Spans in whole seconds no larger than this can be rounded up by one without
// overflowing.
constexpr std::int64_t maxRoundableSeconds = std::numeric_limits<std::int64_t>::max() - 1;

// A handful is plenty: the panel uses one locale, a snapshot another.
constexpr std::size_t maxCachedEntries = 8;

std::optional<UDate> toUDate(Date date)
{
    const double millis = date.timeIntervalSince1970() * 1000.0;
    if (!std::isfinite(millis) || std::fabs(millis) > maxAbsoluteMillis)
        return std::nullopt;
    return millis;
}

QString toQString(const icu::UnicodeString &text)
{
    return QString::fromUtf16(text.getBuffer(), text.length());
}

// Whether ICU has data for the locale's language (or a parent of it) rather
// than falling through to the default locale or the root.
bool hasLocaleData(const icu::Locale &locale)
{
    UErrorCode status = U_ZERO_ERROR;
    UResourceBundle *bundle = ures_open(nullptr, locale.getBaseName(), &status);
    ures_close(bundle);
    return U_SUCCESS(status) && status != U_USING_DEFAULT_WARNING;
}

// The hour cycle the locale names itself ("h12" for "en-GB-u-hc-h12" or
// "en_GB@hours=h12"), empty when it leaves that to its region.
std::string hourCycle(const icu::Locale &locale)
{
    UErrorCode status = U_ZERO_ERROR;
    std::string hours = locale.getKeywordValue<std::string>("hours", status);
    return U_SUCCESS(status) ? hours : std::string();
}

icu::Locale resolveLocale(QStringView id)
{
    icu::Locale locale = icu::Locale::getDefault();
    if (!id.isEmpty()) {
        const QByteArray utf8 = id.toUtf8();
        // A BCP-47 tag ("de-DE", "en-GB-u-hc-h12") first; ICU and POSIX names
        // ("de_DE", "de_DE.UTF-8") are not valid tags and go the canonical way.
        UErrorCode status = U_ZERO_ERROR;
        locale = icu::Locale::forLanguageTag(icu::StringPiece(utf8.constData(), int32_t(utf8.size())), status);
        if (U_FAILURE(status) || locale.isBogus())
            locale = icu::Locale::createCanonical(utf8.constData());
    }
    if (locale.isBogus() || !hasLocaleData(locale)) {
        // English, but on the clock the reader asked for.
        icu::Locale english = icu::Locale::getEnglish();
        if (const std::string hours = locale.isBogus() ? std::string() : hourCycle(locale); !hours.empty()) {
            UErrorCode status = U_ZERO_ERROR;
            english.setKeywordValue("hours", hours.c_str(), status);
        }
        locale = english;
    }
    // Latin digits, whatever the locale's own: the program's texts are
    // English or German and its count-down is drawn in Latin digits, so a
    // time beside them in Arabic-Indic or Devanagari digits would mix two
    // systems on one panel.
    UErrorCode status = U_ZERO_ERROR;
    locale.setKeywordValue("numbers", "latn", status);
    return locale;
}

// The locale times are written in when the caller names none: the one the C
// library writes them in, from LC_ALL, else LC_TIME, else LANG ("en_GB.UTF-8"
// for a desktop whose formats are British while its language is American
// English). Empty, for ICU's default, when none is set or it is the C locale.
QString timeLocale(QStringView id)
{
    if (!id.isEmpty())
        return id.toString();
    for (const char *variable : {"LC_ALL", "LC_TIME", "LANG"}) {
        const QString name = qEnvironmentVariable(variable);
        if (name.isEmpty())
            continue;
        if (name == QLatin1String("C") || name.startsWith(QLatin1String("C.")) || name == QLatin1String("POSIX"))
            return {};
        return name;
    }
    return {};
}

// The local zone at one instant as the C library has it (TZ in every form it
// accepts, zone files and POSIX rules alike, else /etc/localtime): its
// offset from UTC there, as a zone of that fixed offset. ICU's own idea of
// the local zone is read once and misses POSIX rules, so it is not used. A
// fixed offset gives the same calendar fields as the whole zone for that
// one instant, which is all a formatter or a same-day test looks at.
std::optional<icu::SimpleTimeZone> localZoneAt(UDate date)
{
    const std::time_t seconds = static_cast<std::time_t>(std::floor(date / 1000.0));
    std::tm local{};
    if (!localtime_r(&seconds, &local))
        return std::nullopt;
    return icu::SimpleTimeZone(static_cast<int32_t>(local.tm_gmtoff * 1000), icu::UnicodeString(u"local"));
}

// The formatters of one locale, each built on first use. ICU formatters keep
// a working calendar and zone they change while formatting, so they are used
// only under the cache's lock.
struct LocaleFormatters {
    QString id;
    icu::Locale locale;
    std::unique_ptr<icu::DateFormat> shortTime;
    std::unique_ptr<icu::DateFormat> endDate;
    std::unique_ptr<icu::DateFormat> endDateWithYear;
    std::unique_ptr<icu::MeasureFormat> spokenDuration;
    std::unique_ptr<icu::Calendar> calendar;

    std::unique_ptr<icu::DateFormat> makeSkeletonFormat(icu::DateTimePatternGenerator &generator,
                                                        const icu::UnicodeString &skeleton) const
    {
        UErrorCode status = U_ZERO_ERROR;
        const icu::UnicodeString pattern = generator.getBestPattern(skeleton, status);
        auto format = std::make_unique<icu::SimpleDateFormat>(pattern, locale, status);
        if (U_FAILURE(status))
            return nullptr;
        format->setContext(UDISPCTX_CAPITALIZATION_NONE, status);
        return format;
    }

    icu::DateFormat *shortTimeFormat()
    {
        if (shortTime)
            return shortTime.get();
        if (!hourCycle(locale).empty()) {
            // The short style keeps the locale's own clock whatever the tag
            // says; the locale's hour and minute on the clock asked for ("j"),
            // as the end date has them, do not.
            UErrorCode status = U_ZERO_ERROR;
            std::unique_ptr<icu::DateTimePatternGenerator> generator(
                icu::DateTimePatternGenerator::createInstance(locale, status));
            if (U_FAILURE(status) || !generator)
                return nullptr;
            shortTime = makeSkeletonFormat(*generator, icu::UnicodeString(u"jm"));
        } else {
            shortTime.reset(icu::DateFormat::createTimeInstance(icu::DateFormat::kShort, locale));
            UErrorCode status = U_ZERO_ERROR;
            if (shortTime)
                shortTime->setContext(UDISPCTX_CAPITALIZATION_NONE, status);
        }
        return shortTime.get();
    }

    icu::DateFormat *endDateFormat(bool withYear)
    {
        if (!endDate || !endDateWithYear) {
            UErrorCode status = U_ZERO_ERROR;
            std::unique_ptr<icu::DateTimePatternGenerator> generator(
                icu::DateTimePatternGenerator::createInstance(locale, status));
            if (U_FAILURE(status) || !generator)
                return nullptr;
            // Abbreviated weekday, day, abbreviated month, the hour on the
            // locale's own clock ("j" brings its day period), minute; the
            // generator decides order and punctuation.
            endDate = makeSkeletonFormat(*generator, icu::UnicodeString(u"EEEdMMMjm"));
            endDateWithYear = makeSkeletonFormat(*generator, icu::UnicodeString(u"yEEEdMMMjm"));
        }
        return withYear ? endDateWithYear.get() : endDate.get();
    }

    icu::MeasureFormat *spokenDurationFormat()
    {
        if (!spokenDuration) {
            UErrorCode status = U_ZERO_ERROR;
            auto format = std::make_unique<icu::MeasureFormat>(locale, UMEASFMT_WIDTH_WIDE, status);
            if (U_FAILURE(status))
                return nullptr;
            spokenDuration = std::move(format);
        }
        return spokenDuration.get();
    }

    icu::Calendar *localCalendar()
    {
        if (!calendar) {
            UErrorCode status = U_ZERO_ERROR;
            std::unique_ptr<icu::Calendar> made(icu::Calendar::createInstance(locale, status));
            if (U_FAILURE(status))
                return nullptr;
            calendar = std::move(made);
        }
        return calendar.get();
    }
};

class FormatterCache {
public:
    // Runs `use` with the formatters of `localeId`, under the lock.
    template<typename Use>
    auto with(QStringView localeId, Use use)
    {
        const std::lock_guard lock(m_mutex);
        for (const auto &entry : m_entries) {
            if (entry->id == localeId)
                return use(*entry);
        }
        if (m_entries.size() >= maxCachedEntries)
            m_entries.clear();
        auto entry = std::make_unique<LocaleFormatters>();
        entry->id = localeId.toString();
        entry->locale = resolveLocale(localeId);
        m_entries.push_back(std::move(entry));
        return use(*m_entries.back());
    }

private:
    std::mutex m_mutex;
    std::vector<std::unique_ptr<LocaleFormatters>> m_entries;
};

FormatterCache &cache()
{
    static FormatterCache instance;
    return instance;
}

// The date in the local zone of that instant.
QString formatDate(icu::DateFormat *format, UDate date)
{
    const std::optional<icu::SimpleTimeZone> zone = localZoneAt(date);
    if (!format || !zone)
        return {};
    format->setTimeZone(*zone);
    icu::UnicodeString text;
    format->format(date, text);
    return toQString(text);
}

// The fields that identify the instant's day or year in the calendar, in the
// local zone of that instant.
std::optional<std::pair<std::int32_t, std::int32_t>> calendarKey(icu::Calendar &calendar, UDate date, bool day)
{
    const std::optional<icu::SimpleTimeZone> zone = localZoneAt(date);
    if (!zone)
        return std::nullopt;
    calendar.setTimeZone(*zone);
    UErrorCode status = U_ZERO_ERROR;
    calendar.setTime(date, status);
    // The local Julian day names the day whatever the calendar; the year is
    // the calendar's own, counted within its era.
    const std::int32_t first = day ? calendar.get(UCAL_JULIAN_DAY, status) : calendar.get(UCAL_ERA, status);
    const std::int32_t second = day ? 0 : calendar.get(UCAL_YEAR, status);
    if (U_FAILURE(status))
        return std::nullopt;
    return std::pair{first, second};
}

bool isSameCalendarUnit(QStringView locale, Date a, Date b, bool day)
{
    const auto first = toUDate(a);
    const auto second = toUDate(b);
    if (!first || !second)
        return false;
    return cache().with(timeLocale(locale), [&](LocaleFormatters &formatters) {
        icu::Calendar *calendar = formatters.localCalendar();
        if (!calendar)
            return false;
        const auto firstKey = calendarKey(*calendar, *first, day);
        const auto secondKey = calendarKey(*calendar, *second, day);
        return firstKey && secondKey && *firstKey == *secondKey;
    });
}

} // namespace

QString formatShortTime(QStringView locale, Date time)
{
    const auto date = toUDate(time);
    if (!date)
        return {};
    return cache().with(timeLocale(locale),
                        [&](LocaleFormatters &formatters) { return formatDate(formatters.shortTimeFormat(), *date); });
}

QString formatEndDate(QStringView locale, Date end, Date now)
{
    const auto date = toUDate(end);
    if (!date)
        return {};
    const bool withYear = !isSameCalendarYear(locale, end, now);
    return cache().with(timeLocale(locale), [&](LocaleFormatters &formatters) {
        return formatDate(formatters.endDateFormat(withYear), *date);
    });
}

bool isSameCalendarDay(QStringView locale, Date a, Date b)
{
    return isSameCalendarUnit(locale, a, b, true);
}

bool isSameCalendarYear(QStringView locale, Date a, Date b)
{
    return isSameCalendarUnit(locale, a, b, false);
}

QString formatSpokenDuration(QStringView locale, Duration span)
{
    std::int64_t seconds = 0;
    if (span > Duration::zero()) {
        const Duration::Components parts = span.components();
        seconds = parts.seconds;
        if (parts.attoseconds >= Duration::attosecondsPerSecond / 2 && seconds <= maxRoundableSeconds)
            ++seconds;
    }
    const std::int64_t hours = seconds / 3600;
    const std::int64_t minutes = seconds % 3600 / 60;
    seconds %= 60;

    return cache().with(locale, [&](LocaleFormatters &formatters) -> QString {
        icu::MeasureFormat *format = formatters.spokenDurationFormat();
        if (!format)
            return {};
        UErrorCode status = U_ZERO_ERROR;
        std::vector<icu::Measure> measures;
        measures.reserve(3);
        const auto add = [&](std::int64_t value, icu::MeasureUnit *unit) {
            measures.emplace_back(icu::Formattable(static_cast<int64_t>(value)), unit, status);
        };
        if (hours != 0)
            add(hours, icu::MeasureUnit::createHour(status));
        if (minutes != 0)
            add(minutes, icu::MeasureUnit::createMinute(status));
        if (seconds != 0 || measures.empty())
            add(seconds, icu::MeasureUnit::createSecond(status));
        if (U_FAILURE(status))
            return {};

        icu::UnicodeString text;
        icu::FieldPosition position(icu::FieldPosition::DONT_CARE);
        format->formatMeasures(measures.data(), static_cast<int32_t>(measures.size()), text, position, status);
        if (U_FAILURE(status))
            return {};
        return toQString(text);
    });
}

} // namespace pelorin
