#include "orbel_brand.h"

#include <QColorSpace>
#include <QColorTransform>

#include <utility>

namespace orbel {

OrbelBrand::OrbelBrand(QString name, QColor color, Connection connection, std::optional<QColor> darkAccent,
                       std::optional<QColor> lightAccent)
    : m_name(std::move(name)), m_color(color), m_connection(connection), m_darkAccent(darkAccent),
      m_lightAccent(lightAccent)
{
}

QColor OrbelBrand::accent(ColorScheme scheme) const
{
    const std::optional<QColor> &chosen = scheme == ColorScheme::Dark ? m_darkAccent : m_lightAccent;
    return chosen.value_or(m_color);
}

QString OrbelBrand::privacyText() const
{
    return m_connection == Connection::Online ? tr("No data collected") : tr("No internet, no data collected");
}

QString OrbelBrand::privacySymbol() const
{
    return m_connection == Connection::Online ? QStringLiteral("hand.raised") : QStringLiteral("network.slash");
}

QColor OrbelBrand::readableForeground() const
{
    // Relative luminance works on linear light, so undo the sRGB curve first.
    static const QColorTransform toLinear =
        QColorSpace(QColorSpace::SRgb).transformationToColorSpace(QColorSpace(QColorSpace::SRgbLinear));
    const QColor linear = toLinear.map(m_color.toRgb());
    const float luminance = 0.2126f * linear.redF() + 0.7152f * linear.greenF() + 0.0722f * linear.blueF();
    return readableForeground(double(luminance));
}

QColor OrbelBrand::readableForeground(double luminance)
{
    const double d = luminance + 0.05;
    const double againstBlack = d / 0.05;
    const double againstWhite = 1.05 / d;
    return againstBlack <= againstWhite ? QColor(Qt::white) : QColor(Qt::black);
}

} // namespace orbel
