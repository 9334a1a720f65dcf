#pragma once

#include "duration.h"

#include <compare>
#include <optional>

namespace pelorin {

// A wall-clock instant: seconds since 2001-01-01 00:00:00 UTC held in a double.
// Used only to show times to people; deadlines are measured on a monotonic clock.
class Date {
public:
    // 2001-01-01 00:00:00 UTC in Unix time.
    static constexpr double referenceDateInUnixTime = 978307200.0;

    constexpr Date() = default;
    static constexpr Date fromReferenceSeconds(double s) { return Date(s); }
    static constexpr Date fromUnixSeconds(double s) { return Date(s - referenceDateInUnixTime); }
    // 4001-01-01 00:00:00 UTC, the latest instant the program will name.
    static constexpr Date distantFuture() { return Date(63113904000.0); }
    static Date now();

    constexpr double timeIntervalSince1970() const { return m_seconds + referenceDateInUnixTime; }
    constexpr double timeIntervalSince(Date other) const { return m_seconds - other.m_seconds; }
    constexpr Date addingTimeInterval(double seconds) const { return Date(m_seconds + seconds); }

    // This date plus a span (a negative span counts as zero); absent when the
    // result would lie beyond distantFuture.
    std::optional<Date> addingClamped(Duration span) const;

    constexpr auto operator<=>(const Date &) const = default;
    constexpr bool operator==(const Date &) const = default;

private:
    constexpr explicit Date(double s) : m_seconds(s) {}
    double m_seconds = 0;
};

} // namespace pelorin
