#include "panel_card.h"

#include "brand_palette.h"
#include "orbel_metrics.h"

#include <QPainter>
#include <QVBoxLayout>

namespace orbel {

PanelCard::PanelCard(int spacing, const OrbelEnvironment &environment, QWidget *parent)
    : QWidget(parent), EnvironmentAware(environment), m_layout(new QVBoxLayout(this))
{
    m_layout->setContentsMargins(OrbelMetrics::cardPadding, OrbelMetrics::cardPadding, OrbelMetrics::cardPadding,
                                 OrbelMetrics::cardPadding);
    m_layout->setSpacing(spacing);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void PanelCard::addWidget(QWidget *widget, Qt::Alignment alignment)
{
    m_layout->addWidget(widget, 0, alignment);
}

void PanelCard::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    paintBackground(painter, rect());
}

void PanelCard::paintBackground(QPainter &painter, const QRectF &rect)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(BrandPalette::primary06(environment().scheme));
    painter.drawRoundedRect(rect, OrbelMetrics::cardCornerRadius, OrbelMetrics::cardCornerRadius);
}

} // namespace orbel
