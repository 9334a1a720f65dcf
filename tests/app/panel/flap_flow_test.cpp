#include "flap_flow.h"

#include <QWidget>

#include <gtest/gtest.h>

using namespace pelorin;

namespace {

QList<QSize> widths(std::initializer_list<int> list, int height = 40)
{
    QList<QSize> sizes;
    for (int w : list)
        sizes.append(QSize(w, height));
    return sizes;
}

// A widget of a fixed preferred size.
class Block : public QWidget {
public:
    Block(QSize size, QWidget *parent) : QWidget(parent), m_size(size) {}
    QSize sizeHint() const override { return m_size; }

private:
    QSize m_size;
};

} // namespace

TEST(FlapFlow, CentresOneRowInTheGivenWidth)
{
    // A count-down: three flaps and two colons.
    const auto result = FlapFlow::arrange(312, widths({42, 12, 42, 12, 42}));
    const int rowWidth = 42 * 3 + 12 * 2 + 4 * 4;
    const int left = (312 - rowWidth) / 2;
    EXPECT_EQ(result.size, QSize(312, 40));
    ASSERT_EQ(result.positions.size(), 5);
    EXPECT_EQ(result.positions[0], QPoint(left, 0));
    EXPECT_EQ(result.positions[1], QPoint(left + 46, 0));
    EXPECT_EQ(result.positions[2], QPoint(left + 62, 0));
    EXPECT_EQ(result.positions[4], QPoint(left + rowWidth - 42, 0));
}

TEST(FlapFlow, TakesTheOpenWidthWhenNoneIsGiven)
{
    const auto two = FlapFlow::arrange(std::nullopt, widths({40, 70}));
    EXPECT_EQ(two.size, QSize(312, 40));
    // "NO LIMIT": two flaps four apart.
    EXPECT_EQ(two.positions[1].x() - two.positions[0].x(), 44);
    EXPECT_EQ(two.positions[0].x(), (312 - 114) / 2);
}

TEST(FlapFlow, WrapsWhatDoesNotFitAndCentresEveryRow)
{
    // 50 + 4 + 50 + 4 + 50 = 158 > 120: the third item starts a second row.
    const auto result = FlapFlow::arrange(120, {QSize(50, 40), QSize(50, 30), QSize(50, 20)});
    EXPECT_EQ(result.positions[0], QPoint(8, 0));
    EXPECT_EQ(result.positions[1], QPoint(62, 0));
    // The next row sits 4 below the tallest item of the one above.
    EXPECT_EQ(result.positions[2], QPoint(35, 44));
    EXPECT_EQ(result.size, QSize(120, 64));

    // Exactly full: the item still joins the row.
    const auto exact = FlapFlow::arrange(104, widths({50, 50}));
    EXPECT_EQ(exact.positions[1], QPoint(54, 0));
    EXPECT_EQ(exact.size.height(), 40);
    const auto oneShort = FlapFlow::arrange(103, widths({50, 50}));
    EXPECT_EQ(oneShort.positions[1], QPoint(26, 44));
    EXPECT_EQ(oneShort.size.height(), 84);
}

TEST(FlapFlow, ItemsOfARowAreTopAligned)
{
    const auto result = FlapFlow::arrange(312, {QSize(12, 40), QSize(12, 10)});
    EXPECT_EQ(result.positions[0].y(), 0);
    EXPECT_EQ(result.positions[1].y(), 0);
    EXPECT_EQ(result.size.height(), 40);
}

TEST(FlapFlow, AnItemWiderThanTheWidthSitsAloneAtTheLeftAndOverflows)
{
    const auto result = FlapFlow::arrange(100, widths({30, 160, 30}));
    EXPECT_EQ(result.positions[0], QPoint(35, 0));
    EXPECT_EQ(result.positions[1], QPoint(0, 44));
    EXPECT_EQ(result.positions[2], QPoint(35, 88));
    // The layout keeps the given width; the wide item runs past it.
    EXPECT_EQ(result.size, QSize(100, 128));

    const auto first = FlapFlow::arrange(100, widths({160}));
    EXPECT_EQ(first.positions[0], QPoint(0, 0));
}

// A count-down's colons join their flaps: the group stays on one row, and a
// group wider than the width is squeezed into it rather than split.
TEST(FlapFlow, JoinedItemsStayOnOneRow)
{
    const QList<QSize> countdown = widths({42, 12, 42, 12, 42});
    const QList<bool> joined{false, true, true, true, true};
    const auto fits = FlapFlow::arrange(312, countdown, joined);
    EXPECT_EQ(fits.sizes, countdown);
    EXPECT_EQ(fits.size.height(), 40);

    const auto squeezed = FlapFlow::arrange(120, countdown, joined);
    EXPECT_EQ(squeezed.size.height(), 40);
    int right = 0;
    for (qsizetype i = 0; i < countdown.size(); ++i) {
        EXPECT_EQ(squeezed.positions[i].y(), 0) << i;
        EXPECT_LT(squeezed.sizes[i].width(), countdown[i].width()) << i;
        right = squeezed.positions[i].x() + squeezed.sizes[i].width();
    }
    EXPECT_EQ(squeezed.positions[0].x(), 0);
    EXPECT_EQ(right, 120);

    // Unjoined, the same pieces wrap.
    EXPECT_GT(FlapFlow::arrange(120, countdown).size.height(), 40);
}

TEST(FlapFlow, NothingToPlaceHasNoHeight)
{
    const auto result = FlapFlow::arrange(200, {});
    EXPECT_TRUE(result.positions.isEmpty());
    EXPECT_EQ(result.size, QSize(200, 0));
    EXPECT_EQ(FlapFlow::arrange(std::nullopt, {}).size, QSize(312, 0));
}

TEST(FlapFlow, PlacesWidgetsAtTheirPreferredSize)
{
    QWidget host;
    auto *flow = new FlapFlow(&host);
    auto *a = new Block(QSize(60, 40), &host);
    auto *b = new Block(QSize(60, 40), &host);
    auto *c = new Block(QSize(12, 20), &host);
    flow->addWidget(a);
    flow->addWidget(b);
    flow->addWidget(c);

    EXPECT_EQ(flow->sizeHint(), QSize(312, 40));
    EXPECT_TRUE(host.hasHeightForWidth());
    // 100 wide: the first block alone, then the second with the small one.
    EXPECT_EQ(host.heightForWidth(100), 40 + 4 + 40);
    EXPECT_EQ(flow->minimumSize(), QSize(0, 0));

    host.resize(130, host.heightForWidth(130));
    flow->setGeometry(host.rect());
    EXPECT_EQ(a->geometry(), QRect(3, 0, 60, 40));
    EXPECT_EQ(b->geometry(), QRect(67, 0, 60, 40));
    EXPECT_EQ(c->geometry(), QRect(59, 44, 12, 20));
    EXPECT_EQ(host.height(), 64);

    // A narrower host: each item a row of its own, each centred.
    host.resize(60, host.heightForWidth(60));
    flow->setGeometry(host.rect());
    EXPECT_EQ(a->geometry().topLeft(), QPoint(0, 0));
    EXPECT_EQ(b->geometry().topLeft(), QPoint(0, 44));
    EXPECT_EQ(c->geometry().topLeft(), QPoint(24, 88));
}

// A widget wider than the whole width sits alone at the left edge, as the
// arrangement says, but is given only that width, so nothing runs out of the
// board; the widgets around it keep their own sizes.
TEST(FlapFlow, AWidgetWiderThanTheWidthIsGivenJustThatWidth)
{
    QWidget host;
    auto *flow = new FlapFlow(&host);
    auto *small = new Block(QSize(30, 40), &host);
    auto *wide = new Block(QSize(160, 40), &host);
    flow->addWidget(small);
    flow->addWidget(wide);

    EXPECT_EQ(host.heightForWidth(100), 40 + 4 + 40);
    host.resize(100, host.heightForWidth(100));
    flow->setGeometry(host.rect());
    EXPECT_EQ(small->geometry(), QRect(35, 0, 30, 40));
    EXPECT_EQ(wide->geometry(), QRect(0, 44, 100, 40));
}
