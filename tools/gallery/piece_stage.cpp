#include "piece_stage.h"

#include "brand_palette.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLayout>
#include <QPainter>
#include <QVBoxLayout>

#include <cmath>

namespace pelorin::gallery {

PieceStage::PieceStage(QWidget *piece, orbel::ColorScheme scheme, int width, int margin) : m_scheme(scheme)
{
    auto *layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetNoConstraint);
    layout->setContentsMargins(margin, margin, margin, margin);
    piece->setParent(this);
    layout->addWidget(piece);
    layOut(this, width + 2 * margin);
}

void PieceStage::paintEvent(QPaintEvent *)
{
    QPainter(this).fillRect(rect(), orbel::BrandPalette::background(m_scheme));
}

void layOut(QWidget *widget, int width)
{
    widget->ensurePolished();
    if (width <= 0)
        width = widget->sizeHint().width();
    const int height = widget->hasHeightForWidth() ? widget->heightForWidth(width) : widget->sizeHint().height();
    widget->resize(width, height);
    if (widget->layout())
        widget->layout()->activate();
}

void settle(int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    do {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    } while (timer.elapsed() < milliseconds);
}

QImage picture(QWidget *widget, qreal ratio)
{
    QImage image(QSize(int(std::lround(widget->width() * ratio)), int(std::lround(widget->height() * ratio))),
                 QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return image;
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    widget->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

} // namespace pelorin::gallery
