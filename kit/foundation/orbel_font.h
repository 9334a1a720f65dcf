#pragma once

#include "orbel_environment.h"

#include <QFont>

#include <array>

namespace orbel {

// The desktop text styles the kit sizes its fonts from, in pixels at the
// everyday text size.
enum class TextStyle { LargeTitle, Title, Title2, Title3, Headline, Body, Callout, Subheadline, Footnote, Caption };

// The kit's text roles.
enum class OrbelFont {
    Title,
    Text,
    TextSemibold,
    Support,
    SupportSemibold,
    Heading,
    WelcomeTitle,
    Mark,
    Detail,
    DetailSemibold,
    KeyCap,
    VersionLine,
    FooterSymbol,
    Readout,
};

inline constexpr std::array<OrbelFont, 14> allOrbelFonts{
    OrbelFont::Title,           OrbelFont::Text,           OrbelFont::TextSemibold, OrbelFont::Support,
    OrbelFont::SupportSemibold, OrbelFont::Heading,        OrbelFont::WelcomeTitle, OrbelFont::Mark,
    OrbelFont::Detail,          OrbelFont::DetailSemibold, OrbelFont::KeyCap,       OrbelFont::VersionLine,
    OrbelFont::FooterSymbol,    OrbelFont::Readout,
};

// How much a text size enlarges every role against `Large`.
double textScale(TextSize size);
// The text size nearest to a desktop's text scale (1 is its default, 1.25
// a quarter larger): the everyday sizes up to about one and a half, the
// accessibility sizes beyond.
TextSize textSizeForScale(double scale);

// The desktop's UI font at the style's size; headline is bold.
QFont textStyleFont(TextStyle style, TextSize size = TextSize::Large);
// The font of a role. Semibold is weight 600; the readout uses equal-width digits.
QFont orbelFont(OrbelFont role, TextSize size = TextSize::Large);
// The font, or one of its size and weight whose digits all have one width.
QFont withEqualWidthDigits(const QFont &font);

} // namespace orbel
