#include "session_duration.h"

namespace pelorin {

std::optional<Duration> SessionDuration::duration() const
{
    switch (m_kind) {
    case Kind::minutes30:
        return Duration::seconds(1800);
    case Kind::hour1:
        return Duration::seconds(3600);
    case Kind::hours2:
        return Duration::seconds(7200);
    case Kind::hours4:
        return Duration::seconds(14400);
    case Kind::hours8:
        return Duration::seconds(28800);
    case Kind::custom:
        return m_custom;
    case Kind::untilStopped:
        return std::nullopt;
    }
    return std::nullopt;
}

bool SessionDuration::isValid() const
{
    const auto span = duration();
    return !span || *span >= minimumSpan();
}

} // namespace pelorin
