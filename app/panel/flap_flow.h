#pragma once

#include <QLayout>
#include <QList>
#include <QPoint>
#include <QSize>

#include <optional>

namespace pelorin {

// Lays its items out like words in a centred paragraph: left to right in
// rows, 4 pixels apart, a new row 4 pixels below when the width runs out,
// each row centred on its own. An item that joins its neighbours (the colon
// of a count-down) keeps them on its row, so "00:45:00" is never split.
// Every item keeps its preferred size, except that an item, or a joined
// group, wider than the whole width sits alone at the left edge and is
// squeezed into just that width.
// Keeps no cache: each query measures the items again, which is cheap for
// the handful a board holds.
class FlapFlow : public QLayout {
    Q_OBJECT

public:
    // Between items of a row, and between rows.
    static constexpr int gap = 4;
    // The width it asks for when nobody offers one.
    static constexpr int openWidth = 312;

    struct Arrangement {
        QSize size;
        // One top-left corner per item, in item order.
        QList<QPoint> positions;
        // What each item is given: its own size, or less where its group is
        // squeezed into the width.
        QList<QSize> sizes;
    };
    // Places items of the given sizes in `width` (openWidth when absent).
    // `joined[i]` keeps item i on the row of item i - 1. The size is always
    // the full width by the height of the rows.
    static Arrangement arrange(std::optional<int> width, const QList<QSize> &sizes, const QList<bool> &joined = {});

    // Marks `widget` as joining its neighbours on their row.
    static void setJoinsNeighbours(QWidget *widget);

    explicit FlapFlow(QWidget *parent = nullptr);
    ~FlapFlow() override;

    void addItem(QLayoutItem *item) override;
    int count() const override;
    QLayoutItem *itemAt(int index) const override;
    QLayoutItem *takeAt(int index) override;

    QSize sizeHint() const override;
    QSize minimumSize() const override;
    Qt::Orientations expandingDirections() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;
    void setGeometry(const QRect &rect) override;

private:
    QList<QSize> itemSizes() const;
    QList<bool> joinedItems() const;

    QList<QLayoutItem *> m_items;
};

} // namespace pelorin
