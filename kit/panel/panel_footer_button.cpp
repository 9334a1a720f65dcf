#include "panel_footer_button.h"

#include "accessibility_element.h"
#include "brand_palette.h"
#include "hover_tracker.h"
#include "orbel_font.h"
#include "orbel_metrics.h"
#include "symbol_table.h"
#include "symbol_view.h"

#include <QPainter>

#include <algorithm>
#include <utility>

namespace orbel {

PanelFooterButton::PanelFooterButton(const QString &title, const QString &symbol, const OrbelEnvironment &environment,
                                     QWidget *parent)
    : QAbstractButton(parent), EnvironmentAware(environment), m_symbol(symbol)
{
    m_hover = new HoverTracker(this);
    setText(title);
    setToolTip(title);
    setAccessibleName(spokenText(title));
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    environmentChanged();
}

void PanelFooterButton::environmentChanged()
{
    setFont(orbelFont(OrbelFont::FooterSymbol, environment().textSize));
    updateGeometry();
    update();
}

void PanelFooterButton::setFocusChanged(std::function<void(bool)> callback)
{
    m_focusChanged = std::move(callback);
}

QSize PanelFooterButton::sizeHint() const
{
    // 32 across; at the largest text sizes the circle grows with its symbol,
    // keeping the margin it has around the everyday one, so the symbol is
    // never cut off.
    const int everyday = SymbolView::sideForFont(orbelFont(OrbelFont::FooterSymbol, TextSize::Large));
    const int margin = OrbelMetrics::footerButtonSize - everyday;
    const int side = std::max(OrbelMetrics::footerButtonSize, SymbolView::sideForFont(font()) + margin);
    return {side, side};
}

bool PanelFooterButton::hitButton(const QPoint &pos) const
{
    const QPointF centre = QRectF(rect()).center();
    const qreal radius = qMin(width(), height()) / 2.0;
    const QPointF offset = QPointF(pos) + QPointF(0.5, 0.5) - centre;
    return offset.x() * offset.x() + offset.y() * offset.y() <= radius * radius;
}

bool PanelFooterButton::isHovered() const
{
    return m_hover->isHovered();
}

void PanelFooterButton::setFocused(bool focused)
{
    if (m_focused == focused)
        return;
    m_focused = focused;
    if (m_focusChanged)
        m_focusChanged(focused);
}

void PanelFooterButton::focusInEvent(QFocusEvent *event)
{
    setFocused(true);
    QAbstractButton::focusInEvent(event);
}

void PanelFooterButton::focusOutEvent(QFocusEvent *event)
{
    setFocused(false);
    QAbstractButton::focusOutEvent(event);
}

void PanelFooterButton::hideEvent(QHideEvent *event)
{
    m_focused = false;
    if (m_focusChanged)
        m_focusChanged(false);
    QAbstractButton::hideEvent(event);
}

void PanelFooterButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const ColorScheme scheme = environment().scheme;
    const qreal side = qMin(width(), height());
    QRectF circle(0, 0, side, side);
    circle.moveCenter(QRectF(rect()).center());
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_hover->isHovered() || isDown() ? BrandPalette::primary16(scheme)
                                                      : BrandPalette::primary06(scheme));
    painter.drawEllipse(circle);

    const int symbolSide = SymbolView::sideForFont(font());
    QRectF symbolRect(0, 0, symbolSide, symbolSide);
    symbolRect.moveCenter(circle.center());
    SymbolTable::paint(painter, symbolRect, m_symbol, BrandPalette::primary(scheme));
}

} // namespace orbel
