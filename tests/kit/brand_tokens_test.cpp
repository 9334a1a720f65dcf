#include "kit_test_support.h"

#include "brand_background.h"
#include "brand_palette.h"
#include "orbel_brand.h"
#include "orbel_font.h"
#include "privacy_line.h"

#include <QFontMetricsF>

#include <memory>

using namespace orbel;
using namespace orbel::test;

TEST(BrandTokens, AccentFallsBackToTheBrandColour)
{
    const QColor amber(184, 115, 0);
    const OrbelBrand plain(QStringLiteral("P"), amber, OrbelBrand::Connection::Online);
    EXPECT_EQ(plain.accent(ColorScheme::Light), amber);
    EXPECT_EQ(plain.accent(ColorScheme::Dark), amber);

    const QColor night(10, 20, 30);
    const OrbelBrand darkOnly(QStringLiteral("P"), amber, OrbelBrand::Connection::Online, night);
    EXPECT_EQ(darkOnly.accent(ColorScheme::Dark), night);
    EXPECT_EQ(darkOnly.accent(ColorScheme::Light), amber);

    const OrbelBrand app = sampleBrand();
    EXPECT_EQ(app.accent(ColorScheme::Light), QColor(176, 112, 0));
    EXPECT_EQ(app.accent(ColorScheme::Dark), amber);
}

TEST(BrandTokens, PrivacyLineFollowsTheConnection)
{
    const auto online = std::unique_ptr<PrivacyLine>(
        sampleBrand(OrbelBrand::Connection::Online).privacyLine(environmentFor(ColorScheme::Light)));
    EXPECT_EQ(online->text(), QStringLiteral("No data collected"));
    EXPECT_EQ(online->symbol(), QStringLiteral("hand.raised"));

    const auto offline = std::unique_ptr<PrivacyLine>(
        sampleBrand(OrbelBrand::Connection::Offline).privacyLine(environmentFor(ColorScheme::Dark)));
    EXPECT_EQ(offline->text(), QStringLiteral("No internet, no data collected"));
    EXPECT_EQ(offline->symbol(), QStringLiteral("network.slash"));
}

TEST(BrandTokens, BackgroundMixesTowardsTheBrandByHalvingSteps)
{
    const Rgb brand{0.8, 0.4, 0.0};
    for (const bool dark : {false, true}) {
        SCOPED_TRACE(dark ? "dark" : "light");
        const double base = dark ? 20.0 / 255.0 : 1.0;
        const double mix = dark ? 0.2 : 0.1;
        const auto stops = BrandBackgroundRecipe::stops(brand, dark);
        EXPECT_DOUBLE_EQ(stops[0].red, base + mix * (0.8 - base));
        EXPECT_DOUBLE_EQ(stops[0].blue, base + mix * (0.0 - base));
        // The middle stop moves exactly half as far, the last is untinted.
        EXPECT_NEAR(stops[1].green - base, (stops[0].green - base) / 2, 1e-12);
        EXPECT_NEAR(stops[1].blue - base, (stops[0].blue - base) / 2, 1e-12);
        EXPECT_EQ(stops[2], (Rgb{base, base, base}));
    }

    const auto white = BrandBackgroundRecipe::stops(Rgb{1, 1, 1}, false);
    for (const Rgb &stop : white)
        EXPECT_EQ(stop, (Rgb{1, 1, 1}));
}

TEST(BrandTokens, BackgroundRunsFromTheTintedCornerToThePlainOne)
{
    const OrbelBrand brand = sampleBrand();
    const QColor rgb = brand.color();
    for (const ColorScheme scheme : {ColorScheme::Light, ColorScheme::Dark}) {
        SCOPED_TRACE(schemeName(scheme));
        BrandBackground background(brand.color(), environmentFor(scheme));
        background.resize(201, 201);
        const QImage image = render(&background);
        const auto stops =
            BrandBackgroundRecipe::stops(Rgb{rgb.redF(), rgb.greenF(), rgb.blueF()}, scheme == ColorScheme::Dark);
        EXPECT_TRUE(colorNear(image.pixelColor(0, 0), stops[0].toColor()));
        EXPECT_TRUE(colorNear(image.pixelColor(100, 100), stops[1].toColor()));
        EXPECT_TRUE(colorNear(image.pixelColor(200, 200), stops[2].toColor()));
        // The gradient runs along the diagonal: the other two corners meet in the middle.
        EXPECT_TRUE(colorNear(image.pixelColor(200, 0), image.pixelColor(0, 200), 1));
        saveToGallery(image, QStringLiteral("brand-background-%1").arg(QLatin1String(schemeName(scheme))));
    }
}

TEST(BrandTokens, ReadableForegroundPicksTheStrongerContrast)
{
    const auto on = [](const QColor &color) {
        return OrbelBrand(QStringLiteral("P"), color, OrbelBrand::Connection::Online).readableForeground();
    };
    EXPECT_EQ(on(Qt::white), QColor(Qt::black));
    EXPECT_EQ(on(Qt::black), QColor(Qt::white));

    // Where both contrasts are equal, white wins; a hair brighter, black does.
    const double tie = 0.179128784747792;
    ASSERT_EQ((tie + 0.05) / 0.05, 1.05 / (tie + 0.05));
    EXPECT_EQ(OrbelBrand::readableForeground(tie), QColor(Qt::white));
    EXPECT_EQ(OrbelBrand::readableForeground(tie + 1e-6), QColor(Qt::black));
}

TEST(BrandTokens, FontRolesScaleTogetherAndKeepTheirWeights)
{
    // The largest accessibility size enlarges every role by the same factor.
    for (const OrbelFont role : allOrbelFonts) {
        const QFont large = orbelFont(role, TextSize::Large);
        const QFont huge = orbelFont(role, TextSize::Accessibility5);
        EXPECT_NEAR(huge.pixelSize(), large.pixelSize() * 53.0 / 17.0, 0.5);
        EXPECT_EQ(huge.weight(), large.weight());
    }

    // The readout's digits all take the same width, so a count-down never jitters.
    const QFontMetricsF readout(orbelFont(OrbelFont::Readout));
    for (char digit = '1'; digit <= '9'; ++digit)
        EXPECT_DOUBLE_EQ(readout.horizontalAdvance(QLatin1Char(digit)), readout.horizontalAdvance(QLatin1Char('0')));
}
