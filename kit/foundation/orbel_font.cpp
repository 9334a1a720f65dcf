#include "orbel_font.h"

#include <QFontDatabase>
#include <QFontMetricsF>

#include <cmath>

namespace orbel {

namespace {

int basePixelSize(TextStyle style)
{
    switch (style) {
    case TextStyle::LargeTitle:
        return 26;
    case TextStyle::Title:
        return 22;
    case TextStyle::Title2:
        return 17;
    case TextStyle::Title3:
        return 15;
    case TextStyle::Headline:
    case TextStyle::Body:
        return 13;
    case TextStyle::Callout:
        return 12;
    case TextStyle::Subheadline:
        return 11;
    case TextStyle::Footnote:
    case TextStyle::Caption:
        return 10;
    }
    return 13;
}

QFont weighted(QFont font, QFont::Weight weight)
{
    font.setWeight(weight);
    return font;
}

bool hasEqualWidthDigits(const QFont &font)
{
    const QFontMetricsF metrics(font);
    const qreal zero = metrics.horizontalAdvance(QLatin1Char('0'));
    for (char digit = '1'; digit <= '9'; ++digit) {
        if (!qFuzzyCompare(metrics.horizontalAdvance(QLatin1Char(digit)), zero))
            return false;
    }
    return true;
}

} // namespace

// Qt 6.4 cannot switch on a font's tabular-figures feature (that arrives in
// 6.6), so a family whose digits differ in width gives way to the desktop's
// fixed-pitch font for the readout.
QFont withEqualWidthDigits(const QFont &font)
{
    if (hasEqualWidthDigits(font))
        return font;
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPixelSize(font.pixelSize());
    fixed.setWeight(font.weight());
    return fixed;
}

namespace {

// Body text at each size, in points, smallest first; `Large` sets it at 17.
constexpr std::array<double, 12> bodyPoints{14, 15, 16, 17, 19, 21, 23, 28, 33, 40, 47, 53};
constexpr double largeBody = 17;

} // namespace

double textScale(TextSize size)
{
    return bodyPoints[std::size_t(size)] / largeBody;
}

TextSize textSizeForScale(double scale)
{
    if (!(scale > 0) || !std::isfinite(scale))
        return TextSize::Large;
    // Nearest on a ratio scale: a step from 17 to 19 weighs as much as one
    // from 47 to 53.
    const double wanted = std::log(scale * largeBody);
    std::size_t nearest = 0;
    for (std::size_t i = 1; i < bodyPoints.size(); ++i) {
        if (std::abs(std::log(bodyPoints[i]) - wanted) < std::abs(std::log(bodyPoints[nearest]) - wanted))
            nearest = i;
    }
    return TextSize(nearest);
}

QFont textStyleFont(TextStyle style, TextSize size)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPixelSize(int(std::lround(basePixelSize(style) * textScale(size))));
    font.setWeight(style == TextStyle::Headline ? QFont::Bold : QFont::Normal);
    return font;
}

QFont orbelFont(OrbelFont role, TextSize size)
{
    switch (role) {
    case OrbelFont::Title:
        return weighted(textStyleFont(TextStyle::LargeTitle, size), QFont::Bold);
    case OrbelFont::Text:
    case OrbelFont::Mark:
        return textStyleFont(TextStyle::Title2, size);
    case OrbelFont::TextSemibold:
        return weighted(textStyleFont(TextStyle::Title2, size), QFont::DemiBold);
    case OrbelFont::Support:
    case OrbelFont::FooterSymbol:
        return textStyleFont(TextStyle::Title3, size);
    case OrbelFont::SupportSemibold:
        return weighted(textStyleFont(TextStyle::Title3, size), QFont::DemiBold);
    case OrbelFont::Heading:
        return textStyleFont(TextStyle::Headline, size);
    case OrbelFont::WelcomeTitle:
        return weighted(textStyleFont(TextStyle::Title2, size), QFont::Bold);
    case OrbelFont::Detail:
        return textStyleFont(TextStyle::Callout, size);
    case OrbelFont::DetailSemibold:
    case OrbelFont::KeyCap:
        return weighted(textStyleFont(TextStyle::Callout, size), QFont::DemiBold);
    case OrbelFont::VersionLine:
        return textStyleFont(TextStyle::Caption, size);
    case OrbelFont::Readout:
        return withEqualWidthDigits(weighted(textStyleFont(TextStyle::Title, size), QFont::DemiBold));
    }
    return textStyleFont(TextStyle::Body, size);
}

} // namespace orbel
