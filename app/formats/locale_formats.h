#pragma once

#include "date.h"
#include "duration.h"

#include <QString>
#include <QStringView>

// Times and spans written the way the reader's locale writes them, through ICU.
//
// Every function takes the locale as an ICU or BCP-47 identifier: "en_US",
// "de_DE", "de", "de-DE", "en-GB-u-hc-h12" or a POSIX name such as
// "de_DE.UTF-8". An empty identifier stands for the environment's: for times
// and dates the locale the C library writes them in (LC_ALL, else LC_TIME,
// else LANG), for spoken spans ICU's default (the language of messages). A
// language ICU has no data for falls back to English, the language of the
// program's untranslated texts, rather than to ICU's language-neutral root
// data.
//
// One clock per locale: an hour cycle the locale names ("-u-hc-h12",
// "-u-hc-h23") holds for every time written, else the locale's own 12- or
// 24-hour clock does. Digits are always Latin, the digits of the program's
// own texts and of its count-down, whatever the locale writes elsewhere.
//
// Dates are shown in the local zone as the C library has it: TZ in every
// form it accepts (a zone name, a zone file, a POSIX rule such as
// "CET-1CEST,M3.5.0,M10.5.0/3"), else /etc/localtime, each instant at its own
// offset. The C library reads a changed zone at the next tzset()
// (LocalTimeMonitor calls it). Calendar fields are those of the locale's
// calendar, so a year shown is always a year of the calendar the same-year
// test used.
//
// The formatters are built once per locale and kept. Safe to call from any
// thread.
//
// ICU writes a narrow no-break space (U+202F) before the day period in many
// locales: "3:45\u202FPM" in en_US.

namespace pelorin {

// The locale's shortened time with the date left out: "3:45 PM" (en_US),
// "15:45" (de_DE). The date is never shown, even when the time falls on
// another day. Empty when ICU cannot place the date (not finite, or millions of
// years away).
QString formatShortTime(QStringView locale, Date time);

// Weekday, day, month, hour and minute of `end` in the locale's order and
// punctuation ("Tue, Jan 2, 1:50 AM", "Di., 2. Jan., 01:50"), with the year
// added only when `end` falls in another calendar year than `now`. Empty when
// ICU cannot place the date.
QString formatEndDate(QStringView locale, Date end, Date now);

// Whether two instants fall on the same calendar day, or in the same calendar
// year, in the local zone and the locale's calendar. False when either
// lies outside ICU's range.
bool isSameCalendarDay(QStringView locale, Date a, Date b);
bool isSameCalendarYear(QStringView locale, Date a, Date b);

// A span spelled out in whole hours, minutes and seconds with the units' full
// names, leaving out the units that are zero: "1 hour, 1 minute, 1 second",
// "2 hours", "1 Stunde, 1 Minute und 1 Sekunde". There is no larger unit than the hour
// ("49 hours"). A fraction of a second is rounded to the nearest second
// (halves up); a negative span counts as zero; zero reads as zero of the
// smallest unit, "0 seconds".
QString formatSpokenDuration(QStringView locale, Duration span);

} // namespace pelorin
