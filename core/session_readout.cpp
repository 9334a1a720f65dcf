#include "session_readout.h"

#include <cstdio>
#include <limits>

namespace pelorin {

CountdownTime::CountdownTime(Duration remaining)
{
    if (remaining < Duration::zero())
        remaining = Duration::zero();
    const auto c = remaining.components();
    std::int64_t total = c.seconds;
    if (c.attoseconds > 0 && total < std::numeric_limits<std::int64_t>::max())
        ++total;
    hours = total / 3600;
    minutes = (total / 60) % 60;
    seconds = total % 60;
}

std::string CountdownTime::twoDigits(std::int64_t n)
{
    // Formatted into a buffer: GCC's optimiser warns (wrongly) about
    // "0" + std::to_string(n).
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, n > 9 ? "%lld" : "0%lld", static_cast<long long>(n));
    return buffer;
}

std::array<std::string, 3> CountdownTime::fields() const
{
    return {twoDigits(hours), twoDigits(minutes), twoDigits(seconds)};
}

std::string CountdownTime::text() const
{
    const auto f = fields();
    return f[0] + ":" + f[1] + ":" + f[2];
}

Duration CountdownTime::duration() const
{
    return Duration::seconds(hours * 3600 + minutes * 60 + seconds);
}

SessionReadout::SessionReadout(const SessionState &state, bool ready, std::optional<Duration> remaining)
{
    using K = SessionState::Kind;
    switch (state.kind()) {
    case K::inactive:
        m_kind = ready ? Kind::ready : Kind::off;
        break;
    case K::starting:
        m_kind = Kind::starting;
        break;
    case K::active:
        if (!state.session()->effectiveDuration)
            m_kind = Kind::unlimited;
        else if (remaining) {
            m_kind = Kind::countdown;
            m_time = CountdownTime(*remaining);
        } else {
            // Drawn before the panel is marked visible: no time to show yet.
            m_kind = Kind::starting;
        }
        break;
    case K::stopping:
        m_kind = Kind::stopping;
        break;
    case K::failed:
        if (state.failure()->retainsResources)
            m_kind = Kind::attention;
        else
            m_kind = state.failure()->operation == EnergyFailure::Operation::lost ? Kind::lost : Kind::failed;
        break;
    }
}

} // namespace pelorin
