#pragma once

#include "duration.h"

#include <array>
#include <functional>
#include <optional>

namespace pelorin {

// The span a user chose for a session: one of the presets, a custom span
// (from an extension or a snapshot option), or no end at all.
class SessionDuration {
public:
    // Declaration order; the value is also the hash discriminator.
    enum class Kind : std::uint8_t { minutes30, hour1, hours2, hours4, hours8, custom, untilStopped };

    static constexpr SessionDuration minutes30() { return SessionDuration(Kind::minutes30); }
    static constexpr SessionDuration hour1() { return SessionDuration(Kind::hour1); }
    static constexpr SessionDuration hours2() { return SessionDuration(Kind::hours2); }
    static constexpr SessionDuration hours4() { return SessionDuration(Kind::hours4); }
    static constexpr SessionDuration hours8() { return SessionDuration(Kind::hours8); }
    static constexpr SessionDuration custom(Duration span) { return SessionDuration(Kind::custom, span); }
    static constexpr SessionDuration untilStopped() { return SessionDuration(Kind::untilStopped); }

    // The six duration tiles, in the order they are laid out.
    static constexpr std::array<SessionDuration, 6> presetList()
    {
        return {minutes30(), hour1(), hours2(), hours4(), hours8(), untilStopped()};
    }
    // What "+30 min" adds.
    static constexpr Duration extensionStep() { return Duration::seconds(1800); }
    // The shortest span a session may have.
    static constexpr Duration minimumSpan() { return Duration::seconds(60); }

    constexpr Kind kind() const { return m_kind; }
    // The span; absent for untilStopped.
    std::optional<Duration> duration() const;
    // untilStopped, or a span of at least 60 s.
    bool isValid() const;

    constexpr bool operator==(const SessionDuration &other) const
    {
        return m_kind == other.m_kind && (m_kind != Kind::custom || m_custom == other.m_custom);
    }

private:
    constexpr explicit SessionDuration(Kind kind, Duration custom = {}) : m_kind(kind), m_custom(custom) {}
    Kind m_kind = Kind::hour1;
    Duration m_custom;
};

} // namespace pelorin

template<>
struct std::hash<pelorin::SessionDuration> {
    std::size_t operator()(const pelorin::SessionDuration &d) const noexcept
    {
        std::size_t h = static_cast<std::size_t>(d.kind());
        if (d.kind() == pelorin::SessionDuration::Kind::custom)
            h = h * 1000003u ^ std::hash<pelorin::Duration>()(*d.duration());
        return h;
    }
};
