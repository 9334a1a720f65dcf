#pragma once

// Shared fixtures and readable printers for the session model tests.

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

inline void PrintTo(const Duration &d, std::ostream *os)
{
    const auto c = d.components();
    *os << c.seconds << "s+" << c.attoseconds << "as";
}

inline void PrintTo(const Date &d, std::ostream *os)
{
    os->precision(17);
    *os << "Date(" << d.timeIntervalSinceReferenceDate() << ")";
}

inline void PrintTo(const SessionDuration &d, std::ostream *os)
{
    *os << "SessionDuration(kind " << static_cast<int>(d.kind());
    if (d.kind() == SessionDuration::Kind::custom) {
        *os << ", ";
        PrintTo(*d.duration(), os);
    }
    *os << ")";
}

inline void PrintTo(const Session &s, std::ostream *os)
{
    *os << "Session(" << s.id.toString().substr(0, 8) << ", ";
    PrintTo(s.selection.duration, os);
    *os << (s.selection.keepsDisplayAwake ? ", display" : ", system only") << ", ";
    PrintTo(s.startedAt, os);
    if (s.effectiveDuration) {
        *os << ", runs ";
        PrintTo(*s.effectiveDuration, os);
    }
    if (s.deadline) {
        *os << ", until ";
        PrintTo(*s.deadline, os);
    }
    *os << ")";
}

inline void PrintTo(const EnergyFailure &f, std::ostream *os)
{
    *os << "EnergyFailure(op " << static_cast<int>(f.operation) << ", code " << f.code
        << (f.retainsResources ? ", retains)" : ", nothing held)");
}

inline void PrintTo(const SessionState &state, std::ostream *os)
{
    static constexpr const char *names[] = {"starting", "active", "stopping", "failed", "inactive"};
    *os << names[static_cast<int>(state.kind())] << "(";
    if (state.failure()) {
        PrintTo(*state.failure(), os);
        *os << ", ";
    }
    if (state.session())
        PrintTo(*state.session(), os);
    else
        *os << "no session";
    *os << ")";
}

inline void PrintTo(const SessionMachine::Acquire &e, std::ostream *os)
{
    *os << "acquire(";
    PrintTo(e.session, os);
    *os << ")";
}

inline void PrintTo(const SessionMachine::Release &e, std::ostream *os)
{
    *os << "release(" << e.id.toString().substr(0, 8) << ")";
}

inline void PrintTo(const SessionMachine::ScheduleDeadline &e, std::ostream *os)
{
    *os << "scheduleDeadline(";
    PrintTo(e.session, os);
    *os << ")";
}

inline void PrintTo(const SessionMachine::CancelDeadline &, std::ostream *os)
{
    *os << "cancelDeadline";
}

inline void PrintTo(const CountdownTime &t, std::ostream *os)
{
    *os << "CountdownTime(" << t.hours << ", " << t.minutes << ", " << t.seconds << ")";
}

inline void PrintTo(const SessionReadout &r, std::ostream *os)
{
    static constexpr const char *names[] = {"countdown", "off",       "ready",  "starting",
                                            "stopping",  "attention", "failed", "unlimited"};
    *os << names[static_cast<int>(r.kind())];
    if (r.kind() == SessionReadout::Kind::countdown) {
        *os << " ";
        PrintTo(r.time(), os);
    }
}

} // namespace pelorin
