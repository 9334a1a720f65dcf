#pragma once

// Walking a window's keyboard focus stops and seeing whether each one shows.

#include <QApplication>
#include <QImage>
#include <QList>
#include <QTest>
#include <QWidget>

#include <algorithm>

namespace pelorin::test {

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
