#include "date.h"

#include <chrono>

namespace pelorin {

Date Date::now()
{
    using namespace std::chrono;
    const auto since1970 = duration_cast<nanoseconds>(system_clock::now().time_since_epoch()).count();
    return fromUnixSeconds(static_cast<double>(since1970) / 1e9);
}

std::optional<Date> Date::addingClamped(Duration span) const
{
    if (span < Duration::zero())
        span = Duration::zero();
    const Date candidate = addingTimeInterval(span / Duration::seconds(1));
    if (candidate > distantFuture())
        return std::nullopt;
    return candidate;
}

} // namespace pelorin
