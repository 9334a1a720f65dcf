#include "flap_flow.h"

#include <algorithm>

namespace pelorin {

FlapFlow::Arrangement FlapFlow::arrange(std::optional<int> width, const QList<QSize> &sizes)
{
    const int available = std::max(0, width.value_or(openWidth));

    struct Row {
        int width = 0;
        int height = 0;
        QList<qsizetype> items;
    };
    QList<Row> rows(1);
    for (qsizetype i = 0; i < sizes.size(); ++i) {
        const QSize &size = sizes[i];
        Row *row = &rows.last();
        if (row->items.isEmpty()) {
            row->width += size.width();
        } else if (row->width + gap + size.width() <= available) {
            row->width += gap + size.width();
        } else {
            rows.append(Row{});
            row = &rows.last();
            row->width = size.width();
        }
        row->height = std::max(row->height, size.height());
        row->items.append(i);
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

QSize FlapFlow::sizeHint() const
{
    return arrange(std::nullopt, itemSizes()).size;
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
    return arrange(width, itemSizes()).size.height();
}

void FlapFlow::setGeometry(const QRect &rect)
{
    QLayout::setGeometry(rect);
    const QList<QSize> sizes = itemSizes();
    const Arrangement arrangement = arrange(rect.width(), sizes);
    for (qsizetype i = 0; i < m_items.size(); ++i) {
        // An item wider than the whole width sits alone on its row; it gets
        // that row's width rather than running out of the board, and a flap
        // fits its text into it.
        const QSize size(std::min(sizes[i].width(), std::max(rect.width(), 0)), sizes[i].height());
        m_items[i]->setGeometry(QRect(rect.topLeft() + arrangement.positions[i], size));
    }
}

} // namespace pelorin
