// The brand's rules as the screens draw them: the accent of each colour
// scheme, the title colour on a brand-coloured button, and the tinted
// background.
#include "kit_test_support.h"

#include "brand_background.h"
#include "orbel_switch.h"
#include "preferences_layout.h"
#include "preferences_toggle_row.h"
#include "welcome_button.h"

#include <QImage>

#include <optional>

using namespace orbel;
using namespace orbel::test;

namespace {

OrbelBrand brandOf(QColor color, std::optional<QColor> darkAccent = {}, std::optional<QColor> lightAccent = {})
{
    return {QStringLiteral("Test"), color, OrbelBrand::Connection::Offline, darkAccent, lightAccent};
}

OrbelEnvironment schemed(ColorScheme scheme)
{
    OrbelEnvironment environment;
    environment.scheme = scheme;
    environment.reduceMotion = true;
    return environment;
}

// Whether two colours differ by at most 1 in each channel (of 255).
testing::AssertionResult near(QColor actual, QColor expected)
{
    const int apart = std::max({std::abs(actual.red() - expected.red()), std::abs(actual.green() - expected.green()),
                                std::abs(actual.blue() - expected.blue())});
    return (apart <= 1 ? testing::AssertionSuccess() : testing::AssertionFailure())
           << actual.name().toStdString() << " against " << expected.name().toStdString();
}

} // namespace

// A switch that is on shows the accent of the scheme, and the brand colour
// where the brand has no accent for that scheme.
TEST(BrandTokens, ASwitchThatIsOnWearsTheAccentOfTheSchemeOrElseTheBrandColour)
{
    const QColor color(184, 115, 0);
    const QColor dark(255, 200, 40);
    const QColor light(120, 60, 0);
    const struct {
        const char *brand;
        OrbelBrand value;
        QColor inLight;
        QColor inDark;
    } rows[] = {
        {"no accents", brandOf(color), color, color},
        {"a dark accent", brandOf(color, dark), color, dark},
        {"a light accent", brandOf(color, {}, light), light, color},
        {"both accents", brandOf(color, dark, light), light, dark},
    };
    for (const auto &row : rows) {
        for (const ColorScheme scheme : {ColorScheme::Light, ColorScheme::Dark}) {
            SCOPED_TRACE(testing::Message() << row.brand << (scheme == ColorScheme::Dark ? ", dark" : ", light"));
            auto *toggle = new PreferencesToggleRow(QStringLiteral("Keep"), std::nullopt,
                                                    {[] { return true; }, [](bool) {}}, schemed(scheme));
            PreferencesLayout page(row.value, QStringLiteral("Settings"), toggle, schemed(scheme));
            page.resize(page.sizeHint());
            OrbelSwitch *knobbed = toggle->toggle();
            const QImage picture = knobbed->grab().toImage();
            // The track's end away from the knob.
            const QRectF track = knobbed->trackRect();
            const QPoint end(int(track.left() + track.height() / 2), int(track.center().y()));
            EXPECT_EQ(picture.pixelColor(end), scheme == ColorScheme::Dark ? row.inDark : row.inLight);
        }
    }
}

// The title of a brand-coloured button is white or black, whichever has the
// higher contrast with the colour (white on a tie), by the colour's relative
// luminance in linear light: greys 117 and 118 lie either side of the turn.
TEST(BrandTokens, ABrandColouredButtonWritesItsTitleInWhiteOrBlackWhicheverReadsBetter)
{
    const struct {
        QColor fill;
        QColor title;
    } rows[] = {
        {QColor(255, 255, 255), Qt::black}, {QColor(0, 0, 0), Qt::white},     {QColor(117, 117, 117), Qt::white},
        {QColor(118, 118, 118), Qt::black}, {QColor(184, 115, 0), Qt::black}, {QColor(0, 64, 160), Qt::white},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.fill.name().toStdString());
        const OrbelBrand brand = brandOf(row.fill);
        WelcomeButton titled({.title = QStringLiteral("Get Started"), .action = {}}, brand, true, OrbelEnvironment{});
        WelcomeButton blank({.title = QString(), .action = {}}, brand, true, OrbelEnvironment{});
        titled.setFixedSize(titled.sizeHint());
        blank.setFixedSize(titled.sizeHint());
        const QImage written = titled.grab().toImage();
        const QImage unwritten = blank.grab().toImage();
        // The pixels the title covers wholly are in its colour.
        int inWhite = 0;
        int inBlack = 0;
        for (int y = 0; y < written.height(); ++y) {
            for (int x = 0; x < written.width(); ++x) {
                const QRgb pixel = written.pixel(x, y);
                if (pixel == unwritten.pixel(x, y))
                    continue;
                inWhite += pixel == qRgb(255, 255, 255);
                inBlack += pixel == qRgb(0, 0, 0);
            }
        }
        EXPECT_GT(row.title == Qt::white ? inWhite : inBlack, 0);
        EXPECT_EQ(row.title == Qt::white ? inBlack : inWhite, 0);
    }
}

// The background runs from the top-left corner, the scheme's base (white, or
// a near-black grey) mixed 10 % (20 % in dark) towards the brand colour,
// through half that mix in the middle, to the plain base at the bottom right.
TEST(BrandTokens, TheBackgroundTintsTheSchemesBaseTowardsTheBrandFromTheTopLeft)
{
    for (const QColor brand : {QColor(184, 115, 0), QColor(0, 0, 255), QColor(255, 255, 255)}) {
        for (const ColorScheme scheme : {ColorScheme::Light, ColorScheme::Dark}) {
            const bool dark = scheme == ColorScheme::Dark;
            SCOPED_TRACE(brand.name().toStdString() + (dark ? ", dark" : ", light"));
            const double base = dark ? 20 : 255;
            const double mix = dark ? 0.2 : 0.1;
            const auto mixed = [&](double amount) {
                const auto channel = [&](int value) { return qRound(base + amount * (value - base)); };
                return QColor(channel(brand.red()), channel(brand.green()), channel(brand.blue()));
            };
            BrandBackground background(brand, schemed(scheme));
            background.resize(201, 201);
            const QImage picture = background.grab().toImage();
            EXPECT_TRUE(near(picture.pixelColor(0, 0), mixed(mix)));
            EXPECT_TRUE(near(picture.pixelColor(100, 100), mixed(mix / 2)));
            EXPECT_TRUE(near(picture.pixelColor(200, 200), mixed(0)));
        }
    }
}
