#include "app_icon.h"

#include "accessibility_hidden.h"
#include "symbol_table.h"

#include <QGuiApplication>
#include <QIcon>
#include <QLinearGradient>
#include <QPainter>

namespace orbel {

AppIcon::AppIcon(int side, QWidget *parent) : QWidget(parent), m_side(side)
{
    setAccessibilityHidden(this);
    setFixedSize(side, side);
}

void AppIcon::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF square(0, 0, m_side, m_side);

    const QIcon icon = QGuiApplication::windowIcon();
    if (!icon.isNull()) {
        const QPixmap picture = icon.pixmap(QSize(m_side, m_side), paintPixelRatio(painter));
        painter.drawPixmap(square, picture, QRectF(picture.rect()));
        return;
    }

    // A neutral tile in the shape of a desktop icon.
    const qreal inset = m_side / 16.0;
    const QRectF tile = square.adjusted(inset, inset, -inset, -inset);
    QLinearGradient fill(tile.topLeft(), tile.bottomLeft());
    fill.setColorAt(0, QColor(174, 174, 178));
    fill.setColorAt(1, QColor(142, 142, 147));
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(tile, tile.width() * 0.225, tile.width() * 0.225);
    painter.setBrush(QColor(255, 255, 255, 210));
    painter.drawEllipse(tile.center(), tile.width() * 0.22, tile.width() * 0.22);
}

} // namespace orbel
