#include "flap_flow.h"

#include <QWidget>

#include <algorithm>

namespace pelorin {

namespace {

constexpr char joinsNeighboursProperty[] = "flapFlowJoinsNeighbours";

} // namespace

FlapFlow::Arrangement FlapFlow::arrange(std::optional<int> width, const QList<QSize> &sizes, const QList<bool> &joined)
{
    const int available = std::max(0, width.value_or(openWidth));
    const auto joinsPrevious = [&joined](qsizetype i) { return i > 0 && i < joined.size() && joined[i]; };

    // Groups of items that stay on one row, as wide as their items and gaps.
    struct Group {
        qsizetype first = 0;
        qsizetype end = 0;
        int width = 0;
    };
    QList<Group> groups;
    for (qsizetype i = 0; i < sizes.size(); ++i) {
        if (groups.isEmpty() || !joinsPrevious(i))
            groups.append(Group{i, i, -gap});
        Group &group = groups.last();
        group.end = i + 1;
        group.width += gap + sizes[i].width();
    }

    Arrangement result;
    result.sizes = sizes;
    // A group wider than the whole width is squeezed into it, each item in
    // proportion; a lone item simply gets the width.
    for (const Group &group : groups) {
        if (group.width <= available)
            continue;
        const int gaps = gap * int(group.end - group.first - 1);
        const double scale = double(std::max(0, available - gaps)) / double(std::max(1, group.width - gaps));
        int left = std::max(0, available - gaps);
        for (qsizetype i = group.first; i < group.end; ++i) {
            const int squeezed = i + 1 < group.end ? int(sizes[i].width() * scale) : left;
            result.sizes[i].setWidth(squeezed);
            left -= squeezed;
        }
    }

    struct Row {
        int width = 0;
        int height = 0;
        QList<qsizetype> items;
    };
    QList<Row> rows(1);
    for (const Group &group : groups) {
        int groupWidth = -gap;
        for (qsizetype i = group.first; i < group.end; ++i)
            groupWidth += gap + result.sizes[i].width();
        Row *row = &rows.last();
        if (row->items.isEmpty()) {
            row->width += groupWidth;
        } else if (row->width + gap + groupWidth <= available) {
            row->width += gap + groupWidth;
        } else {
            rows.append(Row{});
            row = &rows.last();
            row->width = groupWidth;
        }
        for (qsizetype i = group.first; i < group.end; ++i) {
            row->height = std::max(row->height, sizes[i].height());
            row->items.append(i);
        }
    }

    result.positions.resize(sizes.size());
    int y = 0;
    for (const Row &row : rows) {
        // Centred; a row wider than the space starts at the left edge.
        int x = std::max(0, (available - row.width) / 2);
        for (const qsizetype i : row.items) {
            result.positions[i] = QPoint(x, y);
            x += result.sizes[i].width() + gap;
        }
        y += row.height + gap;
    }
    result.size = QSize(available, std::max(0, y - gap));
    return result;
}

void FlapFlow::setJoinsNeighbours(QWidget *widget)
{
    widget->setProperty(joinsNeighboursProperty, true);
}

FlapFlow::FlapFlow(QWidget *parent) : QLayout(parent)
{
    setContentsMargins(0, 0, 0, 0);
    setSpacing(gap);
}

FlapFlow::~FlapFlow()
{
    while (QLayoutItem *item = takeAt(0))
        delete item;
}

void FlapFlow::addItem(QLayoutItem *item)
{
    m_items.append(item);
}

int FlapFlow::count() const
{
    return int(m_items.size());
}

QLayoutItem *FlapFlow::itemAt(int index) const
{
    return index >= 0 && index < m_items.size() ? m_items[index] : nullptr;
}

QLayoutItem *FlapFlow::takeAt(int index)
{
    if (index < 0 || index >= m_items.size())
        return nullptr;
    return m_items.takeAt(index);
}

QList<QSize> FlapFlow::itemSizes() const
{
    QList<QSize> sizes;
    sizes.reserve(m_items.size());
    for (const QLayoutItem *item : m_items)
        sizes.append(item->isEmpty() ? QSize(0, 0) : item->sizeHint());
    return sizes;
}

QList<bool> FlapFlow::joinedItems() const
{
    const auto joins = [this](qsizetype i) {
        const QWidget *widget = m_items[i]->widget();
        return widget && widget->property(joinsNeighboursProperty).toBool();
    };
    QList<bool> joined(m_items.size(), false);
    for (qsizetype i = 1; i < m_items.size(); ++i)
        joined[i] = joins(i) || joins(i - 1);
    return joined;
}

QSize FlapFlow::sizeHint() const
{
    return arrange(std::nullopt, itemSizes(), joinedItems()).size;
}

QSize FlapFlow::minimumSize() const
{
    // Never narrower than nothing: what does not fit wraps or runs over.
    return {0, 0};
}

Qt::Orientations FlapFlow::expandingDirections() const
{
    return Qt::Horizontal;
}

bool FlapFlow::hasHeightForWidth() const
{
    return true;
}

int FlapFlow::heightForWidth(int width) const
{
    return arrange(width, itemSizes(), joinedItems()).size.height();
}

void FlapFlow::setGeometry(const QRect &rect)
{
    QLayout::setGeometry(rect);
    const Arrangement arrangement = arrange(rect.width(), itemSizes(), joinedItems());
    // What is squeezed into the width gets just its share of it, and a flap
    // fits its text into that.
    for (qsizetype i = 0; i < m_items.size(); ++i)
        m_items[i]->setGeometry(QRect(rect.topLeft() + arrangement.positions[i], arrangement.sizes[i]));
}

} // namespace pelorin
