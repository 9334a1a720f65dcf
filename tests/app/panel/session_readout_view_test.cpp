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

TEST_F(ReadoutView, TicksWhenTheTimeLeftPassesAWholeSecond)
{
    engine.model->setPanelVisible(true);
    engine.startSession(SessionDuration::hour1());
    ASSERT_TRUE(view->hasTimeline());
    EXPECT_EQ(word(*view), QStringLiteral("01:00:00"));

    // 3599.75 s left still shows 01:00:00 (rounded up) and the next tick waits
    // the quarter second until the board changes.
    engine.advance(Duration::milliseconds(250));
    view->refresh();
    EXPECT_EQ(word(*view), QStringLiteral("01:00:00"));
    ASSERT_TRUE(view->msUntilNextTick());
    EXPECT_GT(*view->msUntilNextTick(), 600);
    EXPECT_LE(*view->msUntilNextTick(), 750);

    engine.advance(Duration::milliseconds(500));
    view->refresh();
    ASSERT_TRUE(view->msUntilNextTick());
    EXPECT_LE(*view->msUntilNextTick(), 250);

    // The tick itself draws the new second.
    engine.advance(Duration::milliseconds(250));
    const int renders = view->renderCount();
    EXPECT_TRUE(QTest::qWaitFor([&] { return view->renderCount() > renders; }, 2000));
    EXPECT_EQ(word(*view), QStringLiteral("00:59:59"));
    EXPECT_TRUE(view->hasTimeline());
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

TEST_F(ReadoutView, ANewCountdownStartsWithoutAFlip)
{
    engine.model->setPanelVisible(true);
    engine.startSession(SessionDuration::minutes30());
    ASSERT_EQ(word(*view), QStringLiteral("00:30:00"));
    for (int i = 0; i < 5; i += 2)
        EXPECT_EQ(flap(*view, i)->flipCount(), 0);
    engine.endSession();

    engine.startSession(SessionDuration::hours2());
    ASSERT_EQ(word(*view), QStringLiteral("02:00:00"));
    for (int i = 0; i < 5; i += 2)
        EXPECT_EQ(flap(*view, i)->flipCount(), 0);
}

TEST_F(ReadoutView, EndsTodayOrOnAnotherDay)
{
    Date now = utc(2024, 3, 5, 10, 0);
    view->setClock([&now] { return now; });
    engine.model->setPanelVisible(true);
    engine.startSession(SessionDuration::hour1());
    EXPECT_EQ(statusText(*view), QStringLiteral("Ends at 11:00\u202FAM"));

    now = utc(2024, 3, 5, 23, 30);
    view->refresh();
    EXPECT_EQ(statusText(*view), QStringLiteral("Ends Wed, Mar 6, 12:30\u202FAM"));

    now = utc(2024, 12, 31, 23, 30);
    view->refresh();
    EXPECT_EQ(statusText(*view), QStringLiteral("Ends Wed, Jan 1, 2025, 12:30\u202FAM"));
}

TEST_F(ReadoutView, AnEndPastTheLastNameableDateHasNoStatusLine)
{
    engine.model->setPanelVisible(true);
    engine.startSession(SessionDuration::hour1());
    const ReadoutBoard far = view->board(secs(100'000LL * 365 * 86'400), utc(2024, 3, 5, 10, 0));
    EXPECT_FALSE(far.end);
    EXPECT_FALSE(far.statusLine());
    EXPECT_EQ(far.accessibilityValue(), QStringLiteral("876,000,000 hours"));
    EXPECT_EQ(far.pieces().front().text, QStringLiteral("876000000"));
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

TEST_F(ReadoutView, TheCardIsOneElementForScreenReaders)
{
    QAccessibleInterface *card = QAccessible::queryAccessibleInterface(view.get());
    ASSERT_NE(card, nullptr);
    EXPECT_EQ(card->text(QAccessible::Name), QStringLiteral("Session status"));
    EXPECT_EQ(card->text(QAccessible::Value),
              QStringLiteral("READY. One click on a duration and your Mac stays awake"));
    EXPECT_EQ(card->childCount(), 0);
    // The caption, the flaps and the status line are not read on their own.
    for (QWidget *child : view->findChildren<QWidget *>()) {
        QAccessibleInterface *inner = QAccessible::queryAccessibleInterface(child);
        ASSERT_NE(inner, nullptr);
        EXPECT_TRUE(inner->state().invisible) << child->metaObject()->className();
    }

    // The value also comes as read-only text, which AT-SPI passes on.
    QAccessibleTextInterface *text = card->textInterface();
    ASSERT_NE(text, nullptr);
    const QString value = card->text(QAccessible::Value);
    EXPECT_EQ(text->characterCount(), value.size());
    EXPECT_EQ(text->text(0, text->characterCount()), value);
    EXPECT_EQ(text->text(0, 5), QStringLiteral("READY"));
    EXPECT_EQ(card->valueInterface(), nullptr);

    engine.model->preferences().setArmed(false);
    EXPECT_EQ(card->text(QAccessible::Value), QStringLiteral("OFF. Turn on the switch to use Pelorin"));

    Date now = utc(2024, 3, 5, 10, 0);
    view->setClock([&now] { return now; });
    engine.model->preferences().setArmed(true);
    engine.model->setPanelVisible(true);
    engine.startSession(SessionDuration::hour1());
    engine.advance(secs(297));
    view->refresh();
    EXPECT_EQ(card->text(QAccessible::Name), QStringLiteral("Time remaining"));
    EXPECT_EQ(card->text(QAccessible::Value), QStringLiteral("55 minutes, 3 seconds. Ends at 10:55\u202FAM"));
    EXPECT_EQ(text->text(0, -1), card->text(QAccessible::Value));
}

TEST(ReadoutViewStates, WordsInkAndStatusOfEveryStagedState)
{
    struct Row {
        AppModel::Scenario scenario;
        const char *word;
        bool idleInk;
        const char *status;
    };
    const Row rows[] = {
        {AppModel::Ready, "READY", true, "One click on a duration and your Mac stays awake"},
        {AppModel::Off, "OFF", true, "Turn on the switch to use Pelorin"},
        {AppModel::Starting, "STARTING", false, "Starting the session\u2026"},
        {AppModel::Stopping, "ENDING", false, "Ending the session\u2026"},
        {AppModel::Failure, "FAILED", false, "The session could not start"},
        {AppModel::RetainedFailure, "ATTENTION", false,
         "The Mac may still be kept awake. Try ending the session again."},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.word);
        ReadoutModel engine(true);
        engine.model->applySnapshotFixture(row.scenario);
        SessionReadoutView view(*engine.model, environmentFor(orbel::ColorScheme::Light), QStringLiteral("en_US"));
        EXPECT_EQ(word(view).toStdString(), row.word);
        EXPECT_EQ(statusText(view).toStdString(), row.status);
        EXPECT_EQ(view.accessibleCaption(), QStringLiteral("Session status"));
        EXPECT_FALSE(view.hasTimeline());
        ASSERT_EQ(view.flapBoard().pieceCount(), 1);
        EXPECT_EQ(flap(view, 0)->ink(), row.idleInk ? ReadoutBoard::offInk() : ReadoutBoard::ink());
    }

    // The staged session counts down once the panel is on screen.
    ReadoutModel engine(true);
    engine.model->applySnapshotFixture(AppModel::Active);
    SessionReadoutView view(*engine.model, environmentFor(orbel::ColorScheme::Light), QStringLiteral("en_US"));
    EXPECT_EQ(word(view), QStringLiteral("STARTING"));
    engine.model->setPanelVisible(true);
    EXPECT_EQ(word(view), QStringLiteral("00:45:00"));
    EXPECT_TRUE(view.hasTimeline());
    EXPECT_EQ(flap(view, 0)->ink(), ReadoutBoard::ink());
    EXPECT_TRUE(statusText(view).startsWith(QStringLiteral("Ends ")));
}
