#pragma once

// Laying out and drawing a widget the way the picture tests need it.

#include <QColor>
#include <QImage>
#include <QLayout>
#include <QWidget>

#include <cmath>

namespace pelorin::test {

// Lays the widget out at its preferred height for `width` (or its own width).
inline void layOut(QWidget *widget, int width = 0)
{
    widget->ensurePolished();
    if (width <= 0)
        width = widget->sizeHint().width();
    const int height = widget->hasHeightForWidth() ? widget->heightForWidth(width) : widget->sizeHint().height();
    widget->resize(width, height);
    // Layouts settle once the widget has its size.
    if (widget->layout())
        widget->layout()->activate();
}

inline QImage render(QWidget *widget, qreal ratio = 1.0, const QColor &background = Qt::transparent)
{
    QImage image(QSize(int(std::lround(widget->width() * ratio)), int(std::lround(widget->height() * ratio))),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(background);
    widget->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

} // namespace pelorin::test
