#pragma once

#include <QLayout>
#include <QList>
#include <QPoint>
#include <QSize>

#include <optional>

namespace pelorin {

// Lays its items out like words in a centred paragraph: left to right in
// rows, 4 pixels apart, a new row 4 pixels below when the width runs out,
// each row centred on its own. Every item keeps its preferred size, except
// that an item wider than the whole width sits alone at the left edge and is
// given just that width (arrange() reports it running over the right edge).
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
    };
    // Places items of the given sizes in `width` (openWidth when absent). The
    // size is always the full width by the height of the rows.
    static Arrangement arrange(std::optional<int> width, const QList<QSize> &sizes);

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

    QList<QLayoutItem *> m_items;
};

} // namespace pelorin
