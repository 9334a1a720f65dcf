// The panel's split-flap count-down over the model: when its second timer
// runs, which flaps flip and are drawn, and how the board lays its pieces
// out.
#include "panel_test_support.h"

#include "flap_board.h"
#include "orbel_font.h"
#include "session_readout_view.h"
#include "split_flap.h"

#include <set>

using namespace pelorin;
using namespace pelorin::paneltest;
using namespace Qt::StringLiterals;
using fakes::secs;

namespace {

class ReadoutView : public ::testing::Test {
protected:
    QString word() const { return view->currentBoard().word(); }
    // Flips of the hours, minutes and seconds flaps.
    std::array<int, 3> flips() const
    {
        std::array<int, 3> counts{};
        for (int i = 0; i < 3; ++i) {
            SplitFlap *flap = view->flapBoard().flapAt(2 * i);
            EXPECT_NE(flap, nullptr);
            counts[i] = flap ? flap->flipCount() : -1;
        }
        return counts;
    }
    void tick(int seconds)
    {
        engine.advance(secs(seconds));
        view->refresh();
    }

    ReadoutModel engine;
    // Declared after the model, so it goes first.
    std::unique_ptr<SessionReadoutView> view =
        std::make_unique<SessionReadoutView>(*engine.model, orbel::OrbelEnvironment{}, QStringLiteral("en_US"));
};

} // namespace

TEST_F(ReadoutView, TheSecondTimerRunsOnlyForATimedSessionWithThePanelOpen)
{
    EXPECT_EQ(word(), QStringLiteral("READY"));
    EXPECT_FALSE(view->hasTimeline());

    // With the panel closed a session is read without its time left.
    engine.startSession(SessionDuration::hour1());
    EXPECT_FALSE(view->hasTimeline());
    EXPECT_EQ(word(), QStringLiteral("STARTING"));

    engine.model->setPanelVisible(true);
    EXPECT_TRUE(view->hasTimeline());
    EXPECT_EQ(word(), QStringLiteral("01:00:00"));

    engine.model->storePanelVisible(false);
    EXPECT_FALSE(view->hasTimeline());
    engine.advance(secs(5));

    // Opened again: the current time at once.
    engine.model->setPanelVisible(true);
    EXPECT_TRUE(view->hasTimeline());
    EXPECT_EQ(word(), QStringLiteral("00:59:55"));

    engine.endSession(false);
    EXPECT_FALSE(view->hasTimeline());
    EXPECT_EQ(word(), QStringLiteral("ENDING"));
    engine.service->last().succeed();
    fakes::settle();
    EXPECT_EQ(word(), QStringLiteral("READY"));

    // A session without end has nothing to count.
    engine.startSession(SessionDuration::untilStopped());
    EXPECT_EQ(word(), QStringLiteral("NO LIMIT"));
    EXPECT_FALSE(view->hasTimeline());
}

// On screen, a tick flips and draws again only the flaps whose text changed:
// not the card, its other flaps, its caption or its status line. At a minute
// boundary the minutes and seconds flip and the hours stay; "+30 min" flips
// the minutes alone; under reduced motion a changed flap is drawn again but
// does not flip.
TEST_F(ReadoutView, ATickFlipsAndDrawsOnlyTheFlapsThatChange)
{
    // Half a minute past, so that no tick moves the end time to another minute.
    engine.clock.wall = Date::fromUnixSeconds(utc(2025, 3, 14, 15, 0).timeIntervalSince1970() + 30);
    view->setClock([this] { return engine.clock.wall; });
    view->show();
    view->resize(view->sizeHint());
    engine.model->setPanelVisible(true);
    engine.startSession(SessionDuration::hour1());
    tick(50 * 60);
    ASSERT_EQ(word(), QStringLiteral("00:10:00"));
    QTest::qWait(2 * SplitFlap::flipLegMs + 100);
    const auto [hours, minutes, seconds] = flips();

    struct PaintLog : QObject {
        std::set<QObject *> painted;
        bool eventFilter(QObject *watched, QEvent *event) override
        {
            if (event->type() == QEvent::Paint)
                painted.insert(watched);
            return false;
        }
    } log;
    const auto paintedDuringTick = [&] {
        log.painted.clear();
        qApp->installEventFilter(&log);
        tick(1);
        QTest::qWait(2 * SplitFlap::flipLegMs + 100);
        qApp->removeEventFilter(&log);
        return log.painted;
    };
    const FlapBoard &board = view->flapBoard();
    const std::set<QObject *> minutesAndSeconds{board.flapAt(2), board.flapAt(4)};
    EXPECT_EQ(paintedDuringTick(), minutesAndSeconds);
    ASSERT_EQ(word(), QStringLiteral("00:09:59"));
    EXPECT_EQ(flips(), (std::array<int, 3>{hours, minutes + 1, seconds + 1}));

    engine.extendSession();
    ASSERT_EQ(word(), QStringLiteral("00:39:59"));
    EXPECT_EQ(flips(), (std::array<int, 3>{hours, minutes + 2, seconds + 1}));

    orbel::OrbelEnvironment reduced;
    reduced.reduceMotion = true;
    view->setEnvironment(reduced);
    QTest::qWait(2 * SplitFlap::flipLegMs + 100);
    EXPECT_EQ(paintedDuringTick(), std::set<QObject *>{board.flapAt(4)});
    ASSERT_EQ(word(), QStringLiteral("00:39:58"));
    EXPECT_EQ(flips(), (std::array<int, 3>{hours, minutes + 2, seconds + 1}));
}

TEST_F(ReadoutView, KeepsItsLastPictureWhenTheModelGoesFirst)
{
    engine.model->setPanelVisible(true);
    engine.startSession(SessionDuration::hour1());
    ASSERT_TRUE(view->hasTimeline());
    engine.model.reset();
    EXPECT_FALSE(view->hasTimeline());
    view->refresh();
    EXPECT_EQ(word(), QStringLiteral("01:00:00"));
}

// The board's pieces flow like the words of a centred paragraph: 4 apart in
// a row, rows 4 below the tallest piece above, each row centred. A
// count-down breaks only after its hours and a state after a word; where a
// group cannot fit a row of its own, every piece is set smaller alike, and a
// group too wide even then starts at the left edge and runs past the right.
TEST(FlapBoard, ItsPiecesFlowInCentredRowsAndShrinkOnlyWhereAGroupCannotFit)
{
    using Piece = ReadoutBoard::Piece;
    const QFont role = orbel::orbelFont(orbel::OrbelFont::Readout);
    FlapBoard board(orbel::ColorScheme::Dark);
    board.setFont(role);
    board.show();
    // The rows at `width` as a user reads them, "|" between rows, after
    // checking the flow's rules; `size` gets the pieces' one font size.
    const auto layOut = [&board](int width, int *size = nullptr) {
        board.resize(width, board.heightForWidth(width));
        fakes::settle();
        QStringList rows;
        QRect row;
        int bottom = 0;
        const auto closeRow = [&] {
            if (row.isNull())
                return;
            EXPECT_TRUE(row.x() == 0 ? row.width() >= width - 1 : std::abs(row.x() - (width - row.right() - 1)) <= 1)
                << "row " << rows.size() << " is not centred in " << width;
            bottom = row.bottom();
        };
        for (int i = 0; i < board.pieceCount(); ++i) {
            const QWidget *piece = board.pieceWidget(i);
            EXPECT_EQ(piece->font().pixelSize(), board.pieceWidget(0)->font().pixelSize()) << "piece " << i;
            const SplitFlap *flap = board.flapAt(i);
            const QString text = flap ? flap->text() : u":"_s;
            if (row.isNull() || piece->y() != row.y()) {
                closeRow();
                EXPECT_EQ(piece->y(), rows.isEmpty() ? 0 : bottom + 1 + FlapFlow::gap) << text.toStdString();
                rows << text;
                row = piece->geometry();
            } else {
                EXPECT_EQ(piece->x(), row.right() + 1 + FlapFlow::gap) << text.toStdString();
                rows.last() += (flap && rows.last().back() != u':' ? u" "_s : QString()) + text;
                row = row.united(piece->geometry());
            }
        }
        closeRow();
        if (size)
            *size = board.pieceWidget(0)->font().pixelSize();
        return rows.join(u'|').toStdString();
    };
    const auto wideRow = [&] {
        layOut(2000);
        return board.pieceWidget(board.pieceCount() - 1)->geometry().right() + 1 - board.pieceWidget(0)->x();
    };

    board.setPieces({Piece::flap(u"01"_s), Piece::colon(), Piece::flap(u"05"_s), Piece::colon(), Piece::flap(u"03"_s)},
                    false);
    const int oneRow = wideRow();
    const int minutesAndSeconds = oneRow - (board.pieceWidget(2)->x() - board.pieceWidget(0)->x());
    int size = 0;
    EXPECT_EQ(layOut(oneRow, &size), "01:05:03");
    EXPECT_EQ(size, role.pixelSize());
    EXPECT_EQ(layOut(oneRow - 1), "01:|05:03");
    EXPECT_EQ(layOut(minutesAndSeconds, &size), "01:|05:03");
    EXPECT_EQ(size, role.pixelSize()) << "it wraps before it shrinks";
    EXPECT_EQ(layOut(minutesAndSeconds - 1, &size), "01:|05:03");
    EXPECT_LT(size, role.pixelSize());
    EXPECT_LE(board.pieceWidget(4)->geometry().right(), minutesAndSeconds - 1) << "set smaller, it fits";
    EXPECT_EQ(layOut(8), "01:|05:03");
    EXPECT_EQ(board.pieceWidget(2)->x(), 0) << "too wide even at the smallest size";

    board.setPieces({Piece::flap(u"NO"_s), Piece::flap(u"LIMIT"_s)}, false);
    const int words = wideRow();
    EXPECT_EQ(layOut(words), "NO LIMIT");
    EXPECT_EQ(layOut(words - 1), "NO|LIMIT");
}
