#include "bordered_button.h"

#include "brand_palette.h"
#include "hover_tracker.h"
#include "orbel_font.h"
#include "symbol_table.h"
#include "symbol_view.h"

#include <QPainter>

#include <cmath>

namespace orbel {

namespace {

constexpr int symbolGap = 6;

} // namespace

BorderedButton::BorderedButton(const QString &title, const OrbelEnvironment &environment, QWidget *parent)
    : QAbstractButton(parent), EnvironmentAware(environment)
{
    m_hover = new HoverTracker(this);
    setText(title);
    setFocusPolicy(Qt::TabFocus);
    setFont(textStyleFont(TextStyle::Body, environment.textSize));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setAttribute(Qt::WA_Hover);
}

void BorderedButton::setSymbol(const QString &symbol)
{
    m_symbol = symbol;
    updateGeometry();
    update();
}

void BorderedButton::setControlSize(ControlSize size)
{
    m_size = size;
    updateGeometry();
    update();
}

void BorderedButton::setBorderShape(BorderShape shape)
{
    m_shape = shape;
    update();
}

int BorderedButton::controlHeight() const
{
    const int base = m_size == ControlSize::Small ? 22 : m_size == ControlSize::Regular ? 26 : 32;
    // Large text never gets squeezed into the bezel.
    return qMax(base, fontMetrics().height() + (m_size == ControlSize::Small ? 6 : 10));
}

int BorderedButton::horizontalPadding() const
{
    return m_size == ControlSize::Small ? 10 : m_size == ControlSize::Regular ? 12 : 16;
}

int BorderedButton::symbolSide() const
{
    return SymbolView::sideForFont(font());
}

QSize BorderedButton::sizeHint() const
{
    int width = fontMetrics().horizontalAdvance(text()) + 2 * horizontalPadding();
    if (!m_symbol.isEmpty())
        width += symbolSide() + (text().isEmpty() ? 0 : symbolGap);
    return {width, controlHeight()};
}

QSize BorderedButton::minimumSizeHint() const
{
    return sizeHint();
}

void BorderedButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const ColorScheme scheme = environment().scheme;
    if (!isEnabled())
        painter.setOpacity(0.4);

    QRectF bezel = QRectF(rect());
    const qreal radius = m_shape == BorderShape::Capsule ? bezel.height() / 2 : (m_size == ControlSize::Small ? 6 : 8);
    const QColor fill = BrandPalette::bezelFill(scheme, isDown(), m_hover->isHovered() && isEnabled());
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(bezel, radius, radius);

    // Symbol and title as one group, centred in the bezel; only a title too
    // long for the bezel is shortened.
    const QColor ink = BrandPalette::primary(scheme);
    const int side = m_symbol.isEmpty() ? 0 : symbolSide();
    const int gap = (side > 0 && !text().isEmpty()) ? symbolGap : 0;
    const qreal room = bezel.width() - 2 * horizontalPadding() - side - gap;
    const QString title = fontMetrics().horizontalAdvance(text()) <= room
                              ? text()
                              : fontMetrics().elidedText(text(), Qt::ElideRight, int(room));
    const int textWidth = fontMetrics().horizontalAdvance(title);
    qreal x = std::round(bezel.center().x() - (side + gap + textWidth) / 2.0);
    if (side > 0) {
        SymbolTable::paint(painter, QRectF(x, bezel.center().y() - side / 2.0, side, side), m_symbol, ink);
        x += side + gap;
    }
    painter.setPen(ink);
    painter.setFont(font());
    painter.drawText(QRectF(x, bezel.top(), textWidth + 1, bezel.height()),
                     Qt::AlignLeading | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip, title);
}

} // namespace orbel
