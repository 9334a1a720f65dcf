#pragma once

// Laying out and drawing a widget the way the picture tests need it.

#include <QApplication>
#include <QColor>
#include <QImage>
#include <QLayout>
#include <QList>
#include <QTest>
#include <QWidget>

#include <algorithm>
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

// One keyboard focus stop and whether the area around it looked different
// with the focus there than in the window's picture without focus.
struct FocusStop {
    QWidget *widget;
    bool marked;
};

// Presses Tab in `window` until focus comes back to a stop it has visited,
// and reports each stop on the way, compared with `unfocused` (the window's
// grab() with no control focused) in the control's rectangle grown by
// `reach` pixels on every side.
inline QList<FocusStop> tabThrough(QWidget *window, const QImage &unfocused, int reach = 5)
{
    QList<FocusStop> stops;
    for (int presses = 0; presses < 64; ++presses) {
        QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : window;
        QTest::keyClick(target, Qt::Key_Tab);
        QWidget *focused = QApplication::focusWidget();
        if (!focused || std::any_of(stops.begin(), stops.end(),
                                    [focused](const FocusStop &stop) { return stop.widget == focused; }))
            break;
        QCoreApplication::processEvents();
        const QImage picture = window->grab().toImage().convertToFormat(unfocused.format());
        const QRect area = QRect(focused->mapTo(window, QPoint(0, 0)), focused->size())
                               .adjusted(-reach, -reach, reach, reach)
                               .intersected(window->rect());
        stops.append({focused, picture.copy(area) != unfocused.copy(area)});
    }
    return stops;
}

} // namespace pelorin::test
