#include "readout_test_support.h"

#include "session_readout_view.h"
#include "split_flap.h"

#include <QAccessible>
#include <QTest>

#include <gtest/gtest.h>

using namespace pelorin;
using namespace pelorin::readouttest;
using fakes::secs;

namespace {

orbel::OrbelEnvironment environmentFor(orbel::ColorScheme scheme, bool reduceMotion = false)
{
    orbel::OrbelEnvironment environment;
    environment.scheme = scheme;
    environment.reduceMotion = reduceMotion;
    return environment;
}

QString word(const SessionReadoutView &view)
{
    return view.currentBoard().word();
}

QString statusText(const SessionReadoutView &view)
{
    return view.currentBoard().statusLine().value_or(QStringLiteral("<none>"));
}

// The view's flap at a board position.
SplitFlap *flap(const SessionReadoutView &view, int index)
{
    return view.flapBoard().flapAt(index);
}

class ReadoutView : public ::testing::Test {
protected:
    ReadoutModel engine;
    // Declared after the model, so it goes first.
    std::unique_ptr<SessionReadoutView> view = std::make_unique<SessionReadoutView>(
        *engine.model, environmentFor(orbel::ColorScheme::Dark), QStringLiteral("en_US"));
};

} // namespace

TEST_F(ReadoutView, TheSecondTimerRunsOnlyForATimedSessionWithThePanelOpen)
{
    EXPECT_EQ(word(*view), QStringLiteral("READY"));
    EXPECT_FALSE(view->hasTimeline());

    // With the panel closed a session is read without its time left.
    engine.startSession(SessionDuration::hour1());
    ASSERT_EQ(engine.state(), SessionState::Kind::active);
    EXPECT_FALSE(view->hasTimeline());
    EXPECT_EQ(word(*view), QStringLiteral("STARTING"));

    engine.model->setPanelVisible(true);
    EXPECT_TRUE(view->hasTimeline());
    EXPECT_EQ(word(*view), QStringLiteral("01:00:00"));
    EXPECT_EQ(view->accessibleCaption(), QStringLiteral("Time remaining"));
    ASSERT_TRUE(view->msUntilNextTick());
    EXPECT_LE(*view->msUntilNextTick(), 1000);

    // Closed: the timer goes away and nothing ticks.
    engine.model->storePanelVisible(false);
    EXPECT_FALSE(view->hasTimeline());
    const int renders = view->renderCount();
    engine.advance(secs(5));
    QTest::qWait(30);
    EXPECT_EQ(view->renderCount(), renders);

    // Opened again: the current time at once.
    engine.model->setPanelVisible(true);
    EXPECT_TRUE(view->hasTimeline());
    EXPECT_EQ(word(*view), QStringLiteral("00:59:55"));

    engine.endSession(false);
    EXPECT_EQ(engine.state(), SessionState::Kind::stopping);
    EXPECT_FALSE(view->hasTimeline());
    EXPECT_EQ(word(*view), QStringLiteral("ENDING"));
    engine.service->last().succeed();
    fakes::settle();
    EXPECT_EQ(word(*view), QStringLiteral("READY"));
    EXPECT_FALSE(view->hasTimeline());

    // A session without end has nothing to count.
    engine.startSession(SessionDuration::untilStopped());
    EXPECT_EQ(word(*view), QStringLiteral("NO LIMIT"));
    EXPECT_EQ(statusText(*view), QStringLiteral("The Mac stays awake until you turn it off"));
    EXPECT_FALSE(view->hasTimeline());
}

TEST_F(ReadoutView, OnlyTheFlapsThatChangeFlip)
{
    engine.model->setPanelVisible(true);
    engine.startSession(SessionDuration::hour1());
    engine.advance(secs(50 * 60));
    view->refresh();
    ASSERT_EQ(word(*view), QStringLiteral("00:10:00"));
    const int hours = flap(*view, 0)->flipCount();
    const int minutes = flap(*view, 2)->flipCount();
    const int seconds = flap(*view, 4)->flipCount();

    engine.advance(secs(1));
    view->refresh();
    ASSERT_EQ(word(*view), QStringLiteral("00:09:59"));
    EXPECT_EQ(flap(*view, 0)->flipCount(), hours);
    EXPECT_EQ(flap(*view, 2)->flipCount(), minutes + 1);
    EXPECT_EQ(flap(*view, 4)->flipCount(), seconds + 1);
    EXPECT_TRUE(flap(*view, 4)->isFlipping());

    // "+30 min" keeps the session: the minutes flap flips, seconds stay.
    engine.extendSession();
    ASSERT_EQ(word(*view), QStringLiteral("00:39:59"));
    EXPECT_EQ(flap(*view, 0)->flipCount(), hours);
    EXPECT_EQ(flap(*view, 2)->flipCount(), minutes + 2);
    EXPECT_EQ(flap(*view, 4)->flipCount(), seconds + 1);
}

TEST_F(ReadoutView, NoFlipUnderReduceMotion)
{
    view->setEnvironment(environmentFor(orbel::ColorScheme::Dark, true));
    engine.model->setPanelVisible(true);
    engine.startSession(SessionDuration::hour1());
    for (int i = 0; i < 3; ++i) {
        engine.advance(secs(61));
        view->refresh();
    }
    EXPECT_EQ(word(*view), QStringLiteral("00:56:57"));
    for (int i = 0; i < 5; i += 2) {
        EXPECT_EQ(flap(*view, i)->flipCount(), 0);
        EXPECT_FALSE(flap(*view, i)->isFlipping());
    }
}

TEST_F(ReadoutView, KeepsItsLastPictureWhenTheModelGoesFirst)
{
    engine.model->setPanelVisible(true);
    engine.startSession(SessionDuration::hour1());
    ASSERT_TRUE(view->hasTimeline());
    engine.model.reset();
    EXPECT_FALSE(view->hasTimeline());
    view->refresh();
    EXPECT_EQ(word(*view), QStringLiteral("01:00:00"));
}
