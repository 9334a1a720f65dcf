#include "glass_card.h"

#include "brand_palette.h"
#include "orbel_metrics.h"

#include <QPainter>

namespace orbel {

GlassCard::GlassCard(int spacing, const OrbelEnvironment &environment, QWidget *parent)
    : PanelCard(spacing, environment, parent)
{
}

void GlassCard::paintBackground(QPainter &painter, const QRectF &rect)
{
    const ColorScheme scheme = environment().scheme;
    QColor edge = BrandPalette::primary(scheme);
    edge.setAlphaF(0.08f);
    painter.setPen(QPen(edge, 1.0));
    painter.setBrush(BrandPalette::material(scheme));
    const qreal radius = OrbelMetrics::cardCornerRadius;
    painter.drawRoundedRect(rect.adjusted(0.5, 0.5, -0.5, -0.5), radius - 0.5, radius - 0.5);
}

} // namespace orbel
