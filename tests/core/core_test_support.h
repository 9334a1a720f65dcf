#pragma once

// Session IDs and a start date for tests, and printers that make a failed comparison of the
// session model's values readable.

#include "session_machine.h"
#include "session_readout.h"

#include <cstdint>
#include <ostream>
#include <type_traits>

namespace pelorin {

inline SessionID testId(std::uint8_t fill)
{
    SessionID::Bytes bytes{};
    bytes.fill(fill);
    return SessionID(bytes);
}

// When the tests' sessions start.
inline const Date startDate = Date::fromReferenceSeconds(780'000'000.0);

inline void PrintTo(const Duration &d, std::ostream *os)
{
    *os << d.components().seconds << "s+" << d.components().attoseconds << "as";
}

inline void PrintTo(const Date &d, std::ostream *os)
{
    os->precision(17);
    *os << "Date(unix " << d.timeIntervalSince1970() << ")";
}

inline void PrintTo(const Session &s, std::ostream *os)
{
    *os << "Session(" << s.id.toString().substr(0, 8) << (s.selection.keepsDisplayAwake ? ", display, " : ", ");
    PrintTo(s.startedAt, os);
    if (s.effectiveDuration) {
        *os << " for ";
        PrintTo(*s.effectiveDuration, os);
    }
    *os << ")";
}

inline void PrintTo(const EnergyFailure &f, std::ostream *os)
{
    *os << "EnergyFailure(op " << static_cast<int>(f.operation) << ", code " << f.code
        << (f.retainsResources ? ", retains)" : ")");
}

inline void PrintTo(const SessionState &state, std::ostream *os)
{
    static constexpr const char *names[] = {"starting", "active", "stopping", "failed", "inactive"};
    *os << names[static_cast<int>(state.kind())] << "(";
    if (state.failure())
        PrintTo(*state.failure(), os);
    if (state.session())
        PrintTo(*state.session(), os);
    *os << ")";
}

inline void PrintTo(const SessionMachine::Effect &effect, std::ostream *os)
{
    std::visit(
        [os](const auto &e) {
            using E = std::decay_t<decltype(e)>;
            if constexpr (std::is_same_v<E, SessionMachine::Release>)
                *os << "release " << e.id.toString().substr(0, 8);
            else if constexpr (std::is_same_v<E, SessionMachine::CancelDeadline>)
                *os << "cancelDeadline";
            else
                PrintTo(e.session, &(*os << (std::is_same_v<E, SessionMachine::Acquire> ? "acquire " : "schedule ")));
        },
        effect);
}

inline void PrintTo(const CountdownTime &t, std::ostream *os)
{
    *os << t.text();
}

inline void PrintTo(const SessionReadout &r, std::ostream *os)
{
    static constexpr const char *names[] = {"countdown ", "off",    "ready",     "starting", "stopping",
                                            "attention",  "failed", "unlimited", "lost"};
    *os << names[static_cast<int>(r.kind())] << (r.kind() == SessionReadout::Kind::countdown ? r.time().text() : "");
}

} // namespace pelorin
