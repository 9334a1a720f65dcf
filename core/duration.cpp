#include "duration.h"

#include <cmath>

namespace pelorin {

Duration Duration::fromSeconds(double s)
{
    // Casting a double outside the int64 range is undefined, so the ends are
    // handled before the split into whole seconds and fraction.
    constexpr double twoToThe63 = 9223372036854775808.0;
    if (std::isnan(s))
        return Duration();
    if (s >= twoToThe63)
        return Duration(maxComponentsSpan);
    if (s < -twoToThe63)
        return Duration(-maxComponentsSpan);
    const double whole = std::trunc(s);
    const double fraction = s - whole;
    return Duration(Rep(static_cast<std::int64_t>(whole)) * attosecondsPerSecond + Rep(std::llround(fraction * 1e18)));
}

double Duration::operator/(Duration other) const
{
    const Components a = components();
    const Components b = other.components();
    const double numerator = static_cast<double>(a.seconds) + static_cast<double>(a.attoseconds) / 1e18;
    const double denominator = static_cast<double>(b.seconds) + static_cast<double>(b.attoseconds) / 1e18;
    return numerator / denominator;
}

} // namespace pelorin
