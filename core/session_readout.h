#pragma once

#include "session_state.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace pelorin {

// Hours, minutes and seconds left, as the split-flap board shows them.
struct CountdownTime {
    std::int64_t hours = 0;
    std::int64_t minutes = 0;
    std::int64_t seconds = 0;

    constexpr CountdownTime() = default;
    constexpr CountdownTime(std::int64_t h, std::int64_t m, std::int64_t s) : hours(h), minutes(m), seconds(s) {}
    // Rounds a span up to whole seconds; a negative span counts as zero.
    explicit CountdownTime(Duration remaining);

    static std::string twoDigits(std::int64_t n);
    // Hours, minutes and seconds, each at least two digits.
    std::array<std::string, 3> fields() const;
    // The fields joined with ":" ("01:05:09").
    std::string text() const;
    Duration duration() const;

    constexpr bool operator==(const CountdownTime &) const = default;
};

// What the readout board shows for a state.
class SessionReadout {
public:
    // `lost`: a session that ran could not be kept awake any more.
    enum class Kind : std::uint8_t { countdown, off, ready, starting, stopping, attention, failed, unlimited, lost };

    constexpr SessionReadout(Kind kind) : m_kind(kind) {} // NOLINT(google-explicit-constructor)
    static constexpr SessionReadout countdown(CountdownTime time) { return SessionReadout(Kind::countdown, time); }
    // `ready` is the armed switch; `remaining` is consulted only for an
    // active session with an end.
    SessionReadout(const SessionState &state, bool ready, std::optional<Duration> remaining);

    constexpr Kind kind() const { return m_kind; }
    constexpr const CountdownTime &time() const { return m_time; }

    constexpr bool operator==(const SessionReadout &other) const
    {
        return m_kind == other.m_kind && (m_kind != Kind::countdown || m_time == other.m_time);
    }

private:
    constexpr SessionReadout(Kind kind, CountdownTime time) : m_kind(kind), m_time(time) {}
    Kind m_kind = Kind::ready;
    CountdownTime m_time;
};

} // namespace pelorin
