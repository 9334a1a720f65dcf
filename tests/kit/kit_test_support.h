// Helpers shared by the kit tests: environments, a sample brand, rendering
// widgets to images.
#pragma once

#include "brand_background.h"
#include "brand_palette.h"
#include "login_item.h"
#include "orbel_brand.h"
#include "orbel_environment.h"
#include "widget_pictures.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <ostream>
#include <string>

namespace orbel::test {

inline OrbelEnvironment environmentFor(ColorScheme scheme)
{
    OrbelEnvironment environment;
    environment.scheme = scheme;
    return environment;
}

inline const char *schemeName(ColorScheme scheme)
{
    return scheme == ColorScheme::Dark ? "dark" : "light";
}

} // namespace orbel::test

namespace orbel {

// Names the scheme in test output.
inline void PrintTo(ColorScheme scheme, std::ostream *out)
{
    *out << test::schemeName(scheme);
}

} // namespace orbel

namespace orbel::test {

// The program's own brand: a warm amber with a slightly deeper light accent.
inline OrbelBrand sampleBrand(OrbelBrand::Connection connection = OrbelBrand::Connection::Offline)
{
    return OrbelBrand(QStringLiteral("Pelorin"), QColor(184, 115, 0), connection, std::nullopt, QColor(176, 112, 0));
}

using pelorin::test::layOut;
using pelorin::test::render;

// A piece shown on the plain background of its scheme, with room around it.
class Stage : public QWidget {
public:
    Stage(QWidget *piece, ColorScheme scheme, int width, int margin = 16) : m_scheme(scheme)
    {
        auto *layout = new QVBoxLayout(this);
        layout->setSizeConstraint(QLayout::SetNoConstraint);
        layout->setContentsMargins(margin, margin, margin, margin);
        piece->setParent(this);
        layout->addWidget(piece);
        layOut(this, width + 2 * margin);
    }

protected:
    void paintEvent(QPaintEvent *) override { QPainter(this).fillRect(rect(), BrandPalette::background(m_scheme)); }

private:
    ColorScheme m_scheme;
};

// A login item over an autostart folder of its own, never the user's.
struct ScratchLoginItem {
    explicit ScratchLoginItem(const QString &appId)
        : identity([&] {
              AutostartIdentity made;
              made.appId = appId;
              made.programPath = QStringLiteral("/usr/bin/true");
              made.configHome = home.path();
              return made;
          }()),
          item(AutostartEntry(identity))
    {
    }

    QString entryPath() const
    {
        return home.path() + QStringLiteral("/autostart/") + identity.appId + QStringLiteral(".desktop");
    }

    QTemporaryDir home;
    AutostartIdentity identity;
    LoginItem item;
};

inline QColor pixel(const QImage &image, QPointF logical)
{
    const qreal ratio = image.devicePixelRatio();
    return image.pixelColor(int(logical.x() * ratio), int(logical.y() * ratio));
}

// `over` composited on an opaque `under`, as the painter does it.
inline QColor composite(const QColor &under, const QColor &over)
{
    const double a = over.alphaF();
    return QColor::fromRgbF(float(over.redF() * a + under.redF() * (1 - a)),
                            float(over.greenF() * a + under.greenF() * (1 - a)),
                            float(over.blueF() * a + under.blueF() * (1 - a)));
}

inline ::testing::AssertionResult colorNear(const QColor &actual, const QColor &expected, int tolerance = 2)
{
    const QColor a = actual.toRgb();
    const QColor e = expected.toRgb();
    if (std::abs(a.red() - e.red()) <= tolerance && std::abs(a.green() - e.green()) <= tolerance &&
        std::abs(a.blue() - e.blue()) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got " << a.name().toStdString() << " (alpha " << a.alpha()
                                         << "), expected " << e.name().toStdString();
}

// How many pixels carry this colour (fully opaque, within the tolerance).
inline int countPixels(const QImage &image, const QColor &color, int tolerance = 2)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() == 255 && std::abs(c.red() - color.red()) <= tolerance &&
                std::abs(c.green() - color.green()) <= tolerance && std::abs(c.blue() - color.blue()) <= tolerance)
                ++count;
        }
    }
    return count;
}

} // namespace orbel::test
