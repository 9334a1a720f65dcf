#include "flap_flow.h"

#include <algorithm>

namespace pelorin {

namespace {

// Runs of items that stay on one row: [first, end) with their width, gaps
// included.
struct Group {
    qsizetype first = 0;
    qsizetype end = 0;
    int width = 0;
};

QList<Group> groupsOf(const QList<QSize> &sizes, const QList<bool> &joined)
{
    const auto joinsPrevious = [&joined](qsizetype i) { return i > 0 && i < joined.size() && joined[i]; };
    QList<Group> groups;
    for (qsizetype i = 0; i < sizes.size(); ++i) {
        if (groups.isEmpty() || !joinsPrevious(i))
            groups.append(Group{i, i, -FlapFlow::gap});
        Group &group = groups.last();
        group.end = i + 1;
        group.width += FlapFlow::gap + sizes[i].width();
    }
    return groups;
}

} // namespace

QList<int> FlapFlow::groupWidths(const QList<QSize> &sizes, const QList<bool> &joined)
{
    QList<int> widths;
    for (const Group &group : groupsOf(sizes, joined))
        widths.append(group.width);
    return widths;
}

FlapFlow::Arrangement FlapFlow::arrange(std::optional<int> width, const QList<QSize> &sizes, const QList<bool> &joined)
{
    const int available = std::max(0, width.value_or(openWidth));

    struct Row {
        int width = 0;
        int height = 0;
        QList<qsizetype> items;
    };
    QList<Row> rows(1);
    for (const Group &group : groupsOf(sizes, joined)) {
        Row *row = &rows.last();
        if (row->items.isEmpty()) {
            row->width += group.width;
        } else if (row->width + gap + group.width <= available) {
            row->width += gap + group.width;
        } else {
            rows.append(Row{});
            row = &rows.last();
            row->width = group.width;
        }
        for (qsizetype i = group.first; i < group.end; ++i) {
            row->height = std::max(row->height, sizes[i].height());
            row->items.append(i);
        }
    }

    Arrangement result;
    result.positions.resize(sizes.size());
    int y = 0;
    for (const Row &row : rows) {
        // Centred; a row wider than the space starts at the left edge.
        int x = std::max(0, (available - row.width) / 2);
        for (const qsizetype i : row.items) {
            result.positions[i] = QPoint(x, y);
            x += sizes[i].width() + gap;
        }
        y += row.height + gap;
    }
    result.size = QSize(available, std::max(0, y - gap));
    return result;
}

} // namespace pelorin
