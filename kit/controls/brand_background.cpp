#include "brand_background.h"

#include <QLinearGradient>
#include <QPainter>

namespace orbel {

namespace BrandBackgroundRecipe {

std::array<Rgb, 3> stops(const Rgb &brand, bool dark)
{
    const Rgb base = dark ? darkBase : lightBase;
    const double mix = dark ? darkMix : lightMix;
    // Mixing happens on the device components as they are, not in linear light.
    const auto mixed = [&](double amount) {
        return Rgb{base.red + amount * (brand.red - base.red), base.green + amount * (brand.green - base.green),
                   base.blue + amount * (brand.blue - base.blue)};
    };
    return {mixed(mix), mixed(mix / 2), base};
}

} // namespace BrandBackgroundRecipe

BrandBackground::BrandBackground(const QColor &brand, const OrbelEnvironment &environment, QWidget *parent)
    : QWidget(parent), EnvironmentAware(environment), m_brand(brand)
{
}

void BrandBackground::paint(QPainter &painter, const QRectF &rect, const QColor &brand, ColorScheme scheme)
{
    const QColor rgb = brand.toRgb();
    const std::array<Rgb, 3> stops =
        BrandBackgroundRecipe::stops(Rgb{rgb.redF(), rgb.greenF(), rgb.blueF()}, scheme == ColorScheme::Dark);
    QLinearGradient gradient(rect.topLeft(), rect.bottomRight());
    gradient.setColorAt(0.0, stops[0].toColor());
    gradient.setColorAt(0.5, stops[1].toColor());
    gradient.setColorAt(1.0, stops[2].toColor());
    painter.fillRect(rect, gradient);
}

void BrandBackground::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paint(painter, rect(), m_brand, environment().scheme);
}

} // namespace orbel
