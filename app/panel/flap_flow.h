#pragma once

#include <QList>
#include <QPoint>
#include <QSize>

#include <optional>

namespace pelorin {

// How the board's pieces flow, like words in a centred paragraph: left to
// right in rows, 4 pixels apart, a new row 4 pixels below when the width
// runs out, each row centred on its own and its items top-aligned. An item
// that joins the one before it stays on that item's row, so a count-down
// breaks only between its groups ("01:" over "05:09"), never inside one.
// Every item keeps its own size; a group wider than the whole width sits
// alone on its row at the left edge and runs past the right one.
struct FlapFlow {
    // Between items of a row, and between rows.
    static constexpr int gap = 4;
    // The width it takes when nobody offers one.
    static constexpr int openWidth = 312;

    struct Arrangement {
        QSize size;
        // One top-left corner per item, in item order.
        QList<QPoint> positions;
    };
    // Places items of the given sizes in `width` (openWidth when absent).
    // `joined[i]` keeps item i on the row of item i - 1. The size is always
    // the full width by the height of the rows.
    static Arrangement arrange(std::optional<int> width, const QList<QSize> &sizes, const QList<bool> &joined = {});
    // The width of each group of joined items, in order.
    static QList<int> groupWidths(const QList<QSize> &sizes, const QList<bool> &joined);
};

} // namespace pelorin
