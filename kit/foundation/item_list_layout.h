#pragma once

#include <QLayout>
#include <QList>

namespace orbel {

// The bookkeeping every hand-made layout repeats: its items in order, owned
// and deleted with it. Subclasses only arrange `m_items`.
class ItemListLayout : public QLayout {
public:
    explicit ItemListLayout(QWidget *parent) : QLayout(parent) {}
    ~ItemListLayout() override
    {
        while (QLayoutItem *item = takeAt(0))
            delete item;
    }

    void addItem(QLayoutItem *item) override { m_items.append(item); }
    int count() const override { return int(m_items.size()); }
    QLayoutItem *itemAt(int index) const override
    {
        return index >= 0 && index < m_items.size() ? m_items[index] : nullptr;
    }
    QLayoutItem *takeAt(int index) override
    {
        return index >= 0 && index < m_items.size() ? m_items.takeAt(index) : nullptr;
    }

protected:
    QList<QLayoutItem *> m_items;
};

} // namespace orbel
