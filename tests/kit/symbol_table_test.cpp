#include "kit_test_support.h"

#include "symbol_table.h"
#include "symbol_view.h"

#include <QIcon>
#include <QTemporaryDir>

using namespace orbel;
using namespace orbel::test;

namespace {

// Every symbol the program's screens name.
const QStringList usedSymbols = {
    QStringLiteral("sun.max"),
    QStringLiteral("sun.max.fill"),
    QStringLiteral("exclamationmark.triangle"),
    QStringLiteral("exclamationmark.triangle.fill"),
    QStringLiteral("exclamationmark.circle"),
    QStringLiteral("questionmark.circle"),
    QStringLiteral("info.circle"),
    QStringLiteral("checkmark.circle"),
    QStringLiteral("checkmark.circle.fill"),
    QStringLiteral("checkmark.shield"),
    QStringLiteral("circle"),
    QStringLiteral("hand.raised"),
    QStringLiteral("network.slash"),
    QStringLiteral("clock"),
    QStringLiteral("pencil"),
    QStringLiteral("plus"),
    QStringLiteral("stop.fill"),
    QStringLiteral("display"),
    QStringLiteral("gearshape"),
    QStringLiteral("power"),
    QStringLiteral("arrow.up.forward.app"),
    QStringLiteral("1.circle"),
    QStringLiteral("12.circle"),
};

// Pixels that are (partly) painted, and whether all of them carry the tint.
struct Ink {
    int painted = 0;
    bool onlyTint = true;
};

Ink inkOf(const QImage &image, const QColor &tint)
{
    Ink ink;
    const QImage straight = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < straight.height(); ++y) {
        for (int x = 0; x < straight.width(); ++x) {
            const QColor c = straight.pixelColor(x, y);
            if (c.alpha() == 0)
                continue;
            ++ink.painted;
            if (c.alpha() > 64 && !colorNear(c, tint, 6))
                ink.onlyTint = false;
        }
    }
    return ink;
}

// A sheet of every symbol in both schemes, for the gallery.
QImage sheet(ColorScheme scheme)
{
    constexpr int cell = 40;
    const int columns = 8;
    const int rows = int((usedSymbols.size() + columns - 1) / columns);
    QImage image(QSize(columns * cell, rows * cell) * 2, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(2);
    image.fill(BrandPalette::background(scheme));
    QPainter painter(&image);
    for (int i = 0; i < usedSymbols.size(); ++i) {
        const QRectF box((i % columns) * cell, (i / columns) * cell, cell, cell);
        SymbolTable::paint(painter, box.adjusted(12, 12, -12, -12), usedSymbols[i], BrandPalette::primary(scheme));
    }
    return image;
}

} // namespace

TEST(SymbolTable, EveryUsedSymbolDrawsInItsTint)
{
    const QColor tint(23, 112, 46);
    for (const QString &symbol : usedSymbols) {
        SCOPED_TRACE(symbol.toStdString());
        EXPECT_TRUE(SymbolTable::contains(symbol));
        const QPixmap pixmap = SymbolTable::pixmap(symbol, tint, 16, 2.0);
        EXPECT_EQ(pixmap.size(), QSize(32, 32));
        EXPECT_EQ(pixmap.deviceIndependentSize(), QSizeF(16, 16));
        const Ink ink = inkOf(pixmap.toImage(), tint);
        EXPECT_GT(ink.painted, 40);
        EXPECT_TRUE(ink.onlyTint);
    }
}

TEST(SymbolTable, TranslucentTintsKeepTheirOpacity)
{
    const QColor secondary = BrandPalette::primary70(ColorScheme::Light);
    const QImage image = SymbolTable::pixmap(QStringLiteral("stop.fill"), secondary, 16, 1.0).toImage();
    const QColor centre = image.convertToFormat(QImage::Format_ARGB32).pixelColor(8, 8);
    EXPECT_NEAR(centre.alpha(), 178, 2);
}

TEST(SymbolTable, UnknownNamesDrawNothing)
{
    for (const QString &name : {QStringLiteral("nonsense"), QStringLiteral("51.circle"), QStringLiteral("01.circle"),
                                QStringLiteral(".circle")}) {
        EXPECT_FALSE(SymbolTable::contains(name)) << name.toStdString();
        EXPECT_EQ(inkOf(SymbolTable::pixmap(name, Qt::black, 16, 1.0).toImage(), Qt::black).painted, 0);
    }
    EXPECT_TRUE(SymbolTable::contains(QStringLiteral("0.circle")));
    EXPECT_TRUE(SymbolTable::contains(QStringLiteral("50.circle")));
}

// Without the icon theme installed every symbol still draws.
TEST(SymbolTable, WithoutTheIconThemeOwnDrawingsStandIn)
{
    const bool dirsWereSet = qEnvironmentVariableIsSet("XDG_DATA_DIRS");
    const QByteArray savedDirs = qgetenv("XDG_DATA_DIRS");
    const QStringList savedPaths = QIcon::themeSearchPaths();
    QTemporaryDir empty;
    qputenv("XDG_DATA_DIRS", empty.path().toUtf8());
    QIcon::setThemeSearchPaths({empty.path()});
    for (const QString &symbol : usedSymbols) {
        const QImage image = SymbolTable::pixmap(symbol, Qt::red, 17, 1.0).toImage();
        EXPECT_GT(inkOf(image, Qt::red).painted, 20) << symbol.toStdString();
    }
    if (dirsWereSet)
        qputenv("XDG_DATA_DIRS", savedDirs);
    else
        qunsetenv("XDG_DATA_DIRS");
    QIcon::setThemeSearchPaths(savedPaths);

    for (const ColorScheme scheme : {ColorScheme::Light, ColorScheme::Dark})
        saveToGallery(sheet(scheme), QStringLiteral("symbols-%1").arg(QLatin1String(schemeName(scheme))));
}

TEST(SymbolTable, WidgetsRenderSymbolsAtTheTargetsResolution)
{
    // Drawn into a 2× picture, a symbol is as sharp as the 2× pixmap itself.
    SymbolView view(QStringLiteral("hand.raised"), Qt::black);
    view.setSymbolSide(16);
    view.resize(16, 16);
    const QImage drawn = render(&view, 2.0).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage expected = SymbolTable::pixmap(QStringLiteral("hand.raised"), Qt::black, 16, 2.0)
                                .toImage()
                                .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    ASSERT_EQ(drawn.size(), expected.size());
    EXPECT_EQ(drawn.copy(), expected.copy());
}
