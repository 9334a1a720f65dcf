#pragma once

#include "orbel_environment.h"

#include <QColor>

namespace orbel {

// A colour as plain red, green and blue in 0...1, sRGB.
struct Rgb {
    double red = 0;
    double green = 0;
    double blue = 0;

    QColor toColor(double alpha = 1.0) const
    {
        return QColor::fromRgbF(float(red), float(green), float(blue), float(alpha));
    }
    bool operator==(const Rgb &) const = default;
};

// The shared colours. Each follows the colour scheme it is asked for; the
// primary colour is the scheme's text colour, black in light and white in dark.
namespace BrandPalette {

QColor primary(ColorScheme scheme);
// Secondary text: status line, notice message, notes, values, version caption.
QColor primary70(ColorScheme scheme);
// Card fills and the resting footer-button circle.
QColor primary06(ColorScheme scheme);
// The focus-ring stroke.
QColor primary55(ColorScheme scheme);
// The hovered footer-button circle and inactive progress dots.
QColor primary16(ColorScheme scheme);

// The soft bezel of a bordered button: deeper while pressed, a little
// deeper while the pointer is over an enabled one.
QColor bezelFill(ColorScheme scheme, bool pressed, bool hovered);

// The warning colour: the desktop orange in dark, a deeper burnt orange in
// light so that it stays readable on white.
QColor attention(ColorScheme scheme);

QColor orange(ColorScheme scheme);
QColor red(ColorScheme scheme);
QColor green(ColorScheme scheme);
// The accent of controls that no brand tints.
QColor systemAccent(ColorScheme scheme);
// Dividers between sections.
QColor separator(ColorScheme scheme);
// The untinted window background of the scheme.
QColor background(ColorScheme scheme);
// Glass and bar materials: a translucent fill of the scheme's background.
QColor material(ColorScheme scheme);

} // namespace BrandPalette

// The privacy and success green.
namespace PrivacyGreen {

inline constexpr Rgb light{0.09, 0.44, 0.18};
inline constexpr Rgb dark{0.19, 0.82, 0.35};

QColor color(ColorScheme scheme);

} // namespace PrivacyGreen

} // namespace orbel
