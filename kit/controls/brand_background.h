#pragma once

#include "brand_palette.h"
#include "orbel_environment.h"

#include <QWidget>

#include <array>

class QPainter;

namespace orbel {

// The constants of the tinted window background: a base colour of the scheme
// mixed towards the brand colour.
namespace BrandBackgroundRecipe {

inline constexpr double darkMix = 0.2;
inline constexpr double lightMix = 0.1;
inline constexpr Rgb darkBase{20.0 / 255.0, 20.0 / 255.0, 20.0 / 255.0};
inline constexpr Rgb lightBase{1.0, 1.0, 1.0};

// The three gradient colours, top-left to bottom-right: the base mixed with
// the brand by the full amount, by half of it, and the plain base.
std::array<Rgb, 3> stops(const Rgb &brand, bool dark);

} // namespace BrandBackgroundRecipe

// Fills its area with the brand-tinted gradient of the scheme. Screens use it
// as their root and lay their content on top.
class BrandBackground : public QWidget, public EnvironmentAware {
    Q_OBJECT

public:
    BrandBackground(const QColor &brand, const OrbelEnvironment &environment, QWidget *parent = nullptr);

    const QColor &brand() const { return m_brand; }

    static void paint(QPainter &painter, const QRectF &rect, const QColor &brand, ColorScheme scheme);

protected:
    void paintEvent(QPaintEvent *event) override;
    void environmentChanged() override { update(); }

private:
    QColor m_brand;
};

} // namespace orbel
