#pragma once

#include <compare>
#include <cstdint>
#include <functional>

namespace pelorin {

// An exact span of time: a signed count of attoseconds (10^-18 s) held in
// 128 bits, so spans compare exactly and never round through floating point.
class Duration {
public:
    __extension__ typedef __int128 Rep;
    static constexpr Rep attosecondsPerSecond = 1'000'000'000'000'000'000;

    struct Components {
        std::int64_t seconds = 0;
        std::int64_t attoseconds = 0;
    };

    constexpr Duration() = default;

    static constexpr Duration seconds(int s) { return Duration(Rep(s) * attosecondsPerSecond); }
    static constexpr Duration seconds(long s) { return Duration(Rep(s) * attosecondsPerSecond); }
    static constexpr Duration seconds(long long s) { return Duration(Rep(s) * attosecondsPerSecond); }
    static constexpr Duration milliseconds(std::int64_t ms) { return Duration(Rep(ms) * 1'000'000'000'000'000); }
    static constexpr Duration nanoseconds(std::int64_t ns) { return Duration(Rep(ns) * 1'000'000'000); }
    static constexpr Duration attoseconds(Rep a) { return Duration(a); }
    // Seconds given as a double. The fraction is rounded to the nearest
    // attosecond; values beyond the 64-bit range of whole seconds saturate, and
    // NaN gives zero.
    static Duration seconds(double s) { return fromSeconds(s); }

    // Whole seconds and the remaining attoseconds, both truncated toward zero,
    // so a negative span has negative components. A span whose seconds do not
    // fit in 64 bits saturates at the nearest span that does, rather than
    // wrapping round to a span of the opposite sign.
    constexpr Components components() const
    {
        const Rep clamped = m_attoseconds > maxComponentsSpan    ? maxComponentsSpan
                            : m_attoseconds < -maxComponentsSpan ? -maxComponentsSpan
                                                                 : m_attoseconds;
        return {static_cast<std::int64_t>(clamped / attosecondsPerSecond),
                static_cast<std::int64_t>(clamped % attosecondsPerSecond)};
    }

    // Seconds as a double, the one conversion used wherever a span leaves the
    // exact world: whole seconds plus attoseconds / 1e18.
    double toSeconds() const
    {
        const Components c = components();
        return static_cast<double>(c.seconds) + static_cast<double>(c.attoseconds) / 1e18;
    }

    constexpr Duration operator+(Duration other) const { return Duration(m_attoseconds + other.m_attoseconds); }
    constexpr Duration operator-(Duration other) const { return Duration(m_attoseconds - other.m_attoseconds); }
    constexpr Duration operator-() const { return Duration(-m_attoseconds); }
    constexpr Duration &operator+=(Duration other)
    {
        m_attoseconds += other.m_attoseconds;
        return *this;
    }
    constexpr Duration &operator-=(Duration other)
    {
        m_attoseconds -= other.m_attoseconds;
        return *this;
    }
    // The ratio of two spans, as a double.
    double operator/(Duration other) const;

    constexpr auto operator<=>(const Duration &) const = default;
    constexpr bool operator==(const Duration &) const = default;

    static constexpr Duration zero() { return Duration(); }

private:
    // The longest span whose whole seconds fit in a signed 64-bit integer.
    static constexpr Rep maxComponentsSpan = Rep(INT64_MAX) * attosecondsPerSecond + (attosecondsPerSecond - 1);

    static Duration fromSeconds(double s);
    constexpr explicit Duration(Rep attoseconds) : m_attoseconds(attoseconds) {}
    Rep m_attoseconds = 0;
};

} // namespace pelorin

template<>
struct std::hash<pelorin::Duration> {
    std::size_t operator()(const pelorin::Duration &d) const noexcept
    {
        const auto c = d.components();
        return std::hash<std::int64_t>()(c.seconds) * 31u + std::hash<std::int64_t>()(c.attoseconds);
    }
};
