// The panel's split-flap count-down over the model: what it reads in each
// state, when its second timer runs, and which flaps flip and are drawn.
#include "panel_test_support.h"

#include "flap_board.h"
#include "session_readout_view.h"
#include "split_flap.h"

#include <set>

using namespace pelorin;
using namespace pelorin::paneltest;
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

// At a minute boundary the minutes and seconds flaps flip and the hours stay;
// "+30 min" flips the minutes alone; under reduced motion nothing flips.
TEST_F(ReadoutView, OnlyTheFlapsThatChangeFlip)
{
    engine.model->setPanelVisible(true);
    engine.startSession(SessionDuration::hour1());
    tick(50 * 60);
    ASSERT_EQ(word(), QStringLiteral("00:10:00"));
    const auto [hours, minutes, seconds] = flips();

    tick(1);
    ASSERT_EQ(word(), QStringLiteral("00:09:59"));
    EXPECT_EQ(flips(), (std::array<int, 3>{hours, minutes + 1, seconds + 1}));

    engine.extendSession();
    ASSERT_EQ(word(), QStringLiteral("00:39:59"));
    EXPECT_EQ(flips(), (std::array<int, 3>{hours, minutes + 2, seconds + 1}));

    orbel::OrbelEnvironment reduced;
    reduced.reduceMotion = true;
    view->setEnvironment(reduced);
    tick(61);
    ASSERT_EQ(word(), QStringLiteral("00:38:58"));
    EXPECT_EQ(flips(), (std::array<int, 3>{hours, minutes + 2, seconds + 1}));
}

// On screen, a tick draws again only the flaps whose text changed, whether
// they turn or not: not the card, its other flaps, its caption or its status
// line.
TEST_F(ReadoutView, ATickDrawsOnlyTheFlapsThatChange)
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

    orbel::OrbelEnvironment reduced;
    reduced.reduceMotion = true;
    view->setEnvironment(reduced);
    QTest::qWait(50);
    EXPECT_EQ(paintedDuringTick(), std::set<QObject *>{board.flapAt(4)});
    ASSERT_EQ(word(), QStringLiteral("00:09:58"));
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
