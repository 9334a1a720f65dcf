#pragma once

#include "item_list_layout.h"

#include <QLayoutItem>
#include <QList>
#include <QRect>
#include <QSize>

#include <algorithm>

namespace pelorin {

// The session's buttons share their row equally while each title fits its
// share on one line; where one does not (the largest text sizes), they stand
// one above the other, each across the whole row, rather than cutting their
// titles short. A button alone takes the whole row either way.
class SessionButtonsLayout : public orbel::ItemListLayout {
public:
    explicit SessionButtonsLayout(QWidget *parent) : orbel::ItemListLayout(parent)
    {
        setContentsMargins(0, 0, 0, 0);
        setSpacing(orbel::OrbelMetrics::gapS);
    }

    Qt::Orientations expandingDirections() const override { return Qt::Horizontal; }
    bool hasHeightForWidth() const override { return true; }

    // Whether the shown buttons stand side by side at `width`.
    bool sideBySide(int width) const
    {
        const QList<QLayoutItem *> items = shown();
        if (items.size() < 2)
            return true;
        const int share = (width - spacing() * int(items.size() - 1)) / int(items.size());
        return std::all_of(items.begin(), items.end(),
                           [share](const QLayoutItem *item) { return item->sizeHint().width() <= share; });
    }

    int heightForWidth(int width) const override
    {
        const QList<QLayoutItem *> items = shown();
        if (sideBySide(width))
            return tallest(items);
        int height = 0;
        for (const QLayoutItem *item : items)
            height += (height > 0 ? spacing() : 0) + item->sizeHint().height();
        return height;
    }

    QSize sizeHint() const override
    {
        const QList<QLayoutItem *> items = shown();
        int widest = 0;
        for (const QLayoutItem *item : items)
            widest = std::max(widest, item->sizeHint().width());
        const int count = int(items.size());
        return {count * widest + std::max(0, count - 1) * spacing(), tallest(items)};
    }

    QSize minimumSize() const override
    {
        const QList<QLayoutItem *> items = shown();
        int widest = 0;
        for (const QLayoutItem *item : items)
            widest = std::max(widest, item->minimumSize().width());
        return {widest, tallest(items)};
    }

    void setGeometry(const QRect &rect) override
    {
        QLayout::setGeometry(rect);
        const QList<QLayoutItem *> items = shown();
        if (items.isEmpty())
            return;
        if (sideBySide(rect.width())) {
            const int count = int(items.size());
            const int room = rect.width() - spacing() * (count - 1);
            const int height = tallest(items);
            int x = rect.left();
            for (int i = 0; i < count; ++i) {
                // The last one takes what rounding left over.
                const int width = i + 1 < count ? room / count : rect.right() + 1 - x;
                const int itemHeight = items[i]->sizeHint().height();
                items[i]->setGeometry(QRect(x, rect.top() + (height - itemHeight) / 2, width, itemHeight));
                x += width + spacing();
            }
            return;
        }
        int y = rect.top();
        for (QLayoutItem *item : items) {
            const int itemHeight = item->sizeHint().height();
            item->setGeometry(QRect(rect.left(), y, rect.width(), itemHeight));
            y += itemHeight + spacing();
        }
    }

private:
    QList<QLayoutItem *> shown() const
    {
        QList<QLayoutItem *> items;
        for (QLayoutItem *item : m_items) {
            if (!item->isEmpty())
                items.append(item);
        }
        return items;
    }

    static int tallest(const QList<QLayoutItem *> &items)
    {
        int height = 0;
        for (const QLayoutItem *item : items)
            height = std::max(height, item->sizeHint().height());
        return height;
    }
};

} // namespace pelorin
