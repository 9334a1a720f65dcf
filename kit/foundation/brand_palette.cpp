#include "brand_palette.h"

namespace orbel {

namespace {

QColor withAlpha(QColor color, double alpha)
{
    color.setAlphaF(float(alpha));
    return color;
}

bool dark(ColorScheme scheme)
{
    return scheme == ColorScheme::Dark;
}

} // namespace

namespace BrandPalette {

QColor primary(ColorScheme scheme)
{
    return dark(scheme) ? QColor(255, 255, 255) : QColor(0, 0, 0);
}

QColor primary70(ColorScheme scheme)
{
    return withAlpha(primary(scheme), 0.7);
}

QColor primary06(ColorScheme scheme)
{
    return withAlpha(primary(scheme), 0.06);
}

QColor primary55(ColorScheme scheme)
{
    return withAlpha(primary(scheme), 0.55);
}

QColor primary16(ColorScheme scheme)
{
    return withAlpha(primary(scheme), 0.16);
}

QColor attention(ColorScheme scheme)
{
    return dark(scheme) ? orange(scheme) : QColor(184, 80, 0);
}

QColor orange(ColorScheme scheme)
{
    return dark(scheme) ? QColor(255, 159, 10) : QColor(255, 149, 0);
}

QColor red(ColorScheme scheme)
{
    return dark(scheme) ? QColor(255, 69, 58) : QColor(255, 59, 48);
}

QColor green(ColorScheme scheme)
{
    return dark(scheme) ? QColor(48, 209, 88) : QColor(52, 199, 89);
}

QColor systemAccent(ColorScheme scheme)
{
    return dark(scheme) ? QColor(10, 132, 255) : QColor(0, 122, 255);
}

QColor bezelFill(ColorScheme scheme, bool pressed, bool hovered)
{
    const bool isDark = dark(scheme);
    const double alpha = pressed ? (isDark ? 0.26 : 0.18) : hovered ? (isDark ? 0.2 : 0.12) : (isDark ? 0.14 : 0.08);
    QColor fill = primary(scheme);
    fill.setAlphaF(float(alpha));
    return fill;
}

QColor separator(ColorScheme scheme)
{
    return withAlpha(primary(scheme), 0.1);
}

QColor background(ColorScheme scheme)
{
    return dark(scheme) ? QColor(20, 20, 20) : QColor(255, 255, 255);
}

QColor material(ColorScheme scheme)
{
    return withAlpha(background(scheme), dark(scheme) ? 0.62 : 0.72);
}

} // namespace BrandPalette

namespace PrivacyGreen {

QColor color(ColorScheme scheme)
{
    return (scheme == ColorScheme::Dark ? PrivacyGreen::dark : PrivacyGreen::light).toColor();
}

} // namespace PrivacyGreen

} // namespace orbel
