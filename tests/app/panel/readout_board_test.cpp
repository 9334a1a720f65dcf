#include "readout_test_support.h"

#include "flap_board.h"
#include "readout_board.h"
#include "split_flap.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace pelorin;
using namespace pelorin::readouttest;
using Kind = SessionReadout::Kind;
using Piece = ReadoutBoard::Piece;

namespace {

const QString narrowSpace = QString(QChar(0x202F));

ReadoutBoard boardFor(SessionReadout readout, Date now = utc(2024, 3, 5, 10, 0), std::optional<Date> end = {},
                      const QString &locale = QStringLiteral("en_US"))
{
    ReadoutBoard board;
    board.locale = locale;
    board.readout = readout;
    board.now = now;
    board.end = end;
    return board;
}

ReadoutBoard countdownBoard(CountdownTime time, Date now, std::optional<Date> end,
                            const QString &locale = QStringLiteral("en_US"))
{
    return boardFor(SessionReadout::countdown(time), now, end, locale);
}

QStringList texts(const QList<Piece> &pieces)
{
    QStringList list;
    for (const Piece &piece : pieces)
        list.append(piece.kind == Piece::Kind::colon ? QStringLiteral(":") : piece.text);
    return list;
}

} // namespace

TEST(ReadoutBoard, WordsCaptionsAndStatusLinesOfEveryState)
{
    struct Row {
        Kind kind;
        const char *word;
        const char *status;
    };
    const Row rows[] = {
        {Kind::off, "OFF", "Turn on the switch to use Pelorin"},
        {Kind::ready, "READY", "One click on a duration and your Mac stays awake"},
        {Kind::starting, "STARTING", "Starting the session\u2026"},
        {Kind::stopping, "ENDING", "Ending the session\u2026"},
        {Kind::attention, "ATTENTION", "The Mac may still be kept awake. Try ending the session again."},
        {Kind::failed, "FAILED", "The session could not start"},
        {Kind::unlimited, "NO LIMIT", "The Mac stays awake until you turn it off"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.word);
        const ReadoutBoard board = boardFor(row.kind);
        EXPECT_EQ(board.word().toStdString(), row.word);
        EXPECT_EQ(board.caption(), QStringLiteral("Session status"));
        ASSERT_TRUE(board.statusLine());
        EXPECT_EQ(board.statusLine()->toStdString(), row.status);
        // Only the idle states use the softer ink; every state word stands still.
        const bool idle = row.kind == Kind::off || row.kind == Kind::ready;
        EXPECT_EQ(board.boardInk(), idle ? ReadoutBoard::offInk() : ReadoutBoard::ink());
        EXPECT_FALSE(board.flips());
    }
}

TEST(ReadoutBoard, ColoursOfTheCardAndTheFlaps)
{
    EXPECT_EQ(ReadoutBoard::ink(), QColor(245, 241, 232));
    EXPECT_EQ(ReadoutBoard::support(), QColor(200, 198, 192));
    EXPECT_EQ(ReadoutBoard::offInk(), QColor(210, 208, 201));
    EXPECT_EQ(ReadoutBoard::cardColor(orbel::ColorScheme::Light), QColor(25, 25, 24));
    EXPECT_EQ(ReadoutBoard::cardColor(orbel::ColorScheme::Dark), QColor(16, 16, 15));
    EXPECT_EQ(SplitFlap::tileColor(orbel::ColorScheme::Light), QColor(41, 40, 38));
    EXPECT_EQ(SplitFlap::tileColor(orbel::ColorScheme::Dark), QColor(32, 32, 30));
    for (const auto scheme : {orbel::ColorScheme::Light, orbel::ColorScheme::Dark})
        EXPECT_EQ(SplitFlap::hingeColor(scheme), ReadoutBoard::cardColor(scheme));
}

TEST(ReadoutBoard, PiecesOfACountdownAndOfWords)
{
    const Date now = utc(2024, 3, 5, 10, 0);
    const ReadoutBoard countdown = countdownBoard({1, 5, 3}, now, now.addingTimeInterval(3903));
    EXPECT_EQ(countdown.word(), QStringLiteral("01:05:03"));
    EXPECT_EQ(countdown.pieces(),
              (QList<Piece>{Piece::flap(QStringLiteral("01")), Piece::colon(), Piece::flap(QStringLiteral("05")),
                            Piece::colon(), Piece::flap(QStringLiteral("03"))}));
    EXPECT_EQ(countdown.caption(), QStringLiteral("Time remaining"));
    EXPECT_EQ(countdown.boardInk(), ReadoutBoard::ink());
    EXPECT_TRUE(countdown.flips());

    // A hundred hours or more widen the hours flap; nothing is cut.
    EXPECT_EQ(texts(countdownBoard({123, 0, 9}, now, {}).pieces()),
              (QStringList{QStringLiteral("123"), QStringLiteral(":"), QStringLiteral("00"), QStringLiteral(":"),
                           QStringLiteral("09")}));

    EXPECT_EQ(boardFor(Kind::unlimited).pieces(),
              (QList<Piece>{Piece::flap(QStringLiteral("NO")), Piece::flap(QStringLiteral("LIMIT"))}));
    EXPECT_EQ(boardFor(Kind::ready).pieces(), QList<Piece>{Piece::flap(QStringLiteral("READY"))});

    ReadoutBoard still = countdown;
    still.reduceMotion = true;
    EXPECT_FALSE(still.flips());
}

TEST(ReadoutBoard, EndTodayGivesTheTimeAndAnotherDayTheDate)
{
    const Date now = utc(2024, 3, 5, 10, 0);
    EXPECT_EQ(countdownBoard({1, 0, 0}, now, utc(2024, 3, 5, 11, 0)).statusLine(),
              QStringLiteral("Ends at 11:00") + narrowSpace + QStringLiteral("AM"));
    // Just before midnight is still today.
    EXPECT_EQ(countdownBoard({13, 59, 0}, now, utc(2024, 3, 5, 23, 59)).statusLine(),
              QStringLiteral("Ends at 11:59") + narrowSpace + QStringLiteral("PM"));
    // Past midnight: weekday, day, month and time, without the year.
    EXPECT_EQ(countdownBoard({15, 50, 0}, now, utc(2024, 3, 6, 1, 50)).statusLine(),
              QStringLiteral("Ends Wed, Mar 6, 1:50") + narrowSpace + QStringLiteral("AM"));
    // Into another year: the year too.
    const Date newYearsEve = utc(2024, 12, 31, 23, 0);
    EXPECT_EQ(countdownBoard({2, 30, 0}, newYearsEve, utc(2025, 1, 1, 1, 30)).statusLine(),
              QStringLiteral("Ends Wed, Jan 1, 2025, 1:30") + narrowSpace + QStringLiteral("AM"));

    // The locale writes the date; the untranslated words stay English.
    EXPECT_EQ(countdownBoard({1, 0, 0}, now, utc(2024, 3, 5, 11, 0), QStringLiteral("de_DE")).statusLine(),
              QStringLiteral("Ends at 11:00"));
    EXPECT_EQ(countdownBoard({15, 50, 0}, now, utc(2024, 3, 6, 1, 50), QStringLiteral("de_DE")).statusLine(),
              QStringLiteral("Ends Mi., 6. M\u00e4rz, 01:50"));

    // No end that can be named: no status line.
    EXPECT_FALSE(countdownBoard({1, 0, 0}, now, std::nullopt).statusLine());
}

TEST(ReadoutBoard, SpokenValue)
{
    const Date now = utc(2024, 3, 5, 10, 0);
    EXPECT_EQ(boardFor(Kind::ready).accessibilityValue(),
              QStringLiteral("READY. One click on a duration and your Mac stays awake"));
    // The state's word whole, not split like the flaps.
    EXPECT_EQ(boardFor(Kind::unlimited).accessibilityValue(),
              QStringLiteral("NO LIMIT. The Mac stays awake until you turn it off"));
    EXPECT_EQ(countdownBoard({1, 5, 3}, now, utc(2024, 3, 5, 11, 5, 3)).accessibilityValue(),
              QStringLiteral("1 hour, 5 minutes, 3 seconds. Ends at 11:05") + narrowSpace + QStringLiteral("AM"));
    // Zero units are left out.
    EXPECT_EQ(countdownBoard({0, 10, 0}, now, utc(2024, 3, 5, 10, 10)).accessibilityValue(),
              QStringLiteral("10 minutes. Ends at 10:10") + narrowSpace + QStringLiteral("AM"));
    // Without a status line, the spoken time alone.
    EXPECT_EQ(countdownBoard({2, 0, 1}, now, std::nullopt).accessibilityValue(), QStringLiteral("2 hours, 1 second"));
    EXPECT_EQ(countdownBoard({0, 0, 0}, now, std::nullopt).accessibilityValue(), QStringLiteral("0 seconds"));
    EXPECT_EQ(countdownBoard({1, 1, 1}, now, std::nullopt, QStringLiteral("de_DE")).accessibilityValue(),
              QStringLiteral("1 Stunde, 1 Minute und 1 Sekunde"));
}

TEST(FlapBoard, OnlyChangedFlapsFlip)
{
    FlapBoard board(orbel::ColorScheme::Dark);
    const Date now = utc(2024, 3, 5, 10, 0);
    board.setPieces(countdownBoard({0, 10, 0}, now, {}).pieces(), true);
    ASSERT_EQ(board.pieceCount(), 5);
    SplitFlap *hours = board.flapAt(0);
    SplitFlap *minutes = board.flapAt(2);
    SplitFlap *seconds = board.flapAt(4);
    ASSERT_TRUE(hours && minutes && seconds);
    EXPECT_EQ(board.flapAt(1), nullptr);
    // New flaps show their first text without a flip.
    EXPECT_EQ(hours->flipCount() + minutes->flipCount() + seconds->flipCount(), 0);

    board.setPieces(countdownBoard({0, 9, 59}, now, {}).pieces(), true);
    // The same flaps, showing new text.
    EXPECT_EQ(board.flapAt(0), hours);
    EXPECT_EQ(board.flapAt(2), minutes);
    EXPECT_EQ(board.flapAt(4), seconds);
    EXPECT_EQ(minutes->text(), QStringLiteral("09"));
    EXPECT_EQ(hours->flipCount(), 0);
    EXPECT_FALSE(hours->isFlipping());
    EXPECT_EQ(minutes->flipCount(), 1);
    EXPECT_EQ(seconds->flipCount(), 1);
    EXPECT_TRUE(seconds->isFlipping());

    // The same pieces again flip nothing.
    board.setPieces(countdownBoard({0, 9, 59}, now, {}).pieces(), true);
    EXPECT_EQ(seconds->flipCount(), 1);

    // Without flips (less motion, or words) the text just changes.
    board.setPieces(countdownBoard({0, 9, 58}, now, {}).pieces(), false);
    EXPECT_EQ(seconds->text(), QStringLiteral("58"));
    EXPECT_EQ(seconds->flipCount(), 1);

    // Words replace the colons; the flap in front stays, without a flip.
    board.setPieces(boardFor(Kind::unlimited).pieces(), false);
    ASSERT_EQ(board.pieceCount(), 2);
    EXPECT_EQ(board.flapAt(0), hours);
    EXPECT_EQ(hours->flipCount(), 0);
    EXPECT_EQ(board.flapAt(1)->text(), QStringLiteral("LIMIT"));

    board.clear();
    EXPECT_EQ(board.pieceCount(), 0);
}

TEST(SplitFlap, FlipTiltsTheTextToMinus35DegreesAndBack)
{
    SplitFlap flap(QStringLiteral("00"), orbel::ColorScheme::Dark);
    flap.setText(QStringLiteral("59"), true);
    ASSERT_TRUE(flap.isFlipping());
    qreal deepest = 0;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            deepest = std::min(deepest, flap.angle());
            return !flap.isFlipping();
        },
        2000));
    EXPECT_LT(deepest, -10.0);
    EXPECT_GE(deepest, -35.0);
    EXPECT_EQ(flap.angle(), 0.0);

    // The same text does not flip.
    flap.setText(QStringLiteral("59"), true);
    EXPECT_FALSE(flap.isFlipping());
    EXPECT_EQ(flap.flipCount(), 1);
}

TEST(SplitFlap, TheTiltIsSeenInPerspective)
{
    const QSizeF box(40, 30);
    const QTransform tilt = SplitFlap::flipTransform(SplitFlap::flipAngle, box);
    EXPECT_TRUE(tilt.type() == QTransform::TxProject);
    // The top edge comes forward and looks wider, the bottom edge narrower,
    // and the text's height shrinks.
    const QLineF top = tilt.map(QLineF(-20, -15, 20, -15));
    const QLineF bottom = tilt.map(QLineF(-20, 15, 20, 15));
    EXPECT_GT(top.length(), 40.0);
    EXPECT_LT(bottom.length(), 40.0);
    EXPECT_LT(bottom.p1().y() - top.p1().y(), 30.0);
    // The centre stays put.
    EXPECT_EQ(tilt.map(QPointF(0, 0)), QPointF(0, 0));
    EXPECT_TRUE(SplitFlap::flipTransform(0, box).isIdentity());
}

TEST(SplitFlap, SizeFollowsTheText)
{
    SplitFlap two(QStringLiteral("00"), orbel::ColorScheme::Light);
    SplitFlap three(QStringLiteral("100"), orbel::ColorScheme::Light);
    EXPECT_EQ(two.sizeHint().height(), 40);
    EXPECT_GT(three.sizeHint().width(), two.sizeHint().width());
    const int advance = QFontMetrics(two.font()).horizontalAdvance(QStringLiteral("00"));
    EXPECT_GE(two.sizeHint().width(), advance + 16);
    EXPECT_LE(two.sizeHint().width(), advance + 17);
    FlapColon colon;
    EXPECT_EQ(colon.sizeHint(), QSize(12, 40));
}
