#include "session.h"

#include <algorithm>

namespace pelorin {

Session::Session(SessionID sessionID, SessionSelection chosen, Date startDate)
    : id(sessionID), selection(chosen), startedAt(startDate), effectiveDuration(chosen.duration.duration())
{
    if (effectiveDuration)
        deadline = startedAt.addingTimeInterval(effectiveDuration->toSeconds());
}

std::optional<Duration> Session::remaining(Date date) const
{
    if (!deadline)
        return std::nullopt;
    return Duration::seconds(std::max(0.0, deadline->timeIntervalSince(date)));
}

std::optional<Session> Session::extended(Duration step) const
{
    if (!effectiveDuration || step <= Duration::zero())
        return std::nullopt;
    const Duration longer = *effectiveDuration + step;
    Session copy = *this;
    copy.selection.duration = SessionDuration::custom(longer);
    copy.effectiveDuration = longer;
    copy.deadline = startedAt.addingTimeInterval(longer.toSeconds());
    if (!(*effectiveDuration < longer))
        return std::nullopt;
    return copy;
}

} // namespace pelorin
