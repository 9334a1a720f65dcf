#include "symbol_view.h"

#include "accessibility_hidden.h"
#include "symbol_table.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>

#include <cmath>

namespace orbel {

SymbolView::SymbolView(const QString &symbol, const QColor &tint, QWidget *parent)
    : QWidget(parent), m_symbol(symbol), m_tint(tint)
{
    setAccessibilityHidden(this);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void SymbolView::setSymbol(const QString &symbol)
{
    if (symbol == m_symbol)
        return;
    m_symbol = symbol;
    update();
}

void SymbolView::setTint(const QColor &tint)
{
    if (tint == m_tint)
        return;
    m_tint = tint;
    update();
}

void SymbolView::setFrameWidth(int width)
{
    m_frameWidth = width;
    updateGeometry();
}

int SymbolView::symbolSide() const
{
    return sideForFont(font());
}

int SymbolView::sideForFont(const QFont &font)
{
    // Symbols read as the same weight as text when a little taller than the em.
    const int pixels = font.pixelSize() > 0 ? font.pixelSize() : QFontMetrics(font).height();
    const int side = int(std::lround(pixels * 1.2));
    // The symbolic icons are drawn on a 16-pixel grid: sizes near it snap to
    // it so the strokes stay sharp.
    return side >= 14 && side <= 18 ? 16 : side;
}

QSize SymbolView::sizeHint() const
{
    const int side = symbolSide();
    return {qMax(m_frameWidth, side), qMax(side, fontMetrics().height())};
}

void SymbolView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const int side = symbolSide();
    const QRectF box(QPointF(0, 0), QSizeF(width(), qMin(height(), sizeHint().height())));
    QRectF square(0, 0, side, side);
    square.moveCenter(box.center());
    SymbolTable::paint(painter, square, m_symbol, m_tint);
}

void SymbolView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange) {
        updateGeometry();
        update();
    }
    QWidget::changeEvent(event);
}

} // namespace orbel
