// Draws the readout card in its states, light and dark, checks a few of its
// pixels, and writes each picture into the panel gallery for people to see.
#include "readout_test_support.h"

#include "brand_palette.h"
#include "session_readout_view.h"
#include "split_flap.h"

#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using namespace pelorin;
using namespace pelorin::readouttest;
using fakes::secs;
using orbel::ColorScheme;

namespace {

constexpr int cardWidth = 336;

const char *schemeName(ColorScheme scheme)
{
    return scheme == ColorScheme::Dark ? "dark" : "light";
}

orbel::OrbelEnvironment environmentFor(ColorScheme scheme, bool reduceMotion = true)
{
    orbel::OrbelEnvironment environment;
    environment.scheme = scheme;
    environment.reduceMotion = reduceMotion;
    return environment;
}

// The card on the panel's plain background, with room around it.
QImage staged(SessionReadoutView &view, ColorScheme scheme, int width = cardWidth, qreal ratio = 2.0)
{
    QWidget stage;
    auto *layout = new QVBoxLayout(&stage);
    layout->setContentsMargins(16, 16, 16, 16);
    view.setParent(&stage);
    layout->addWidget(&view);
    layOut(&stage, width + 32);
    const QImage image = render(&stage, ratio, orbel::BrandPalette::background(scheme));
    view.setParent(nullptr);
    return image;
}

QColor pixel(const QImage &image, QPoint at)
{
    return image.pixelColor(at).toRgb();
}

class ReadoutGallery : public ::testing::TestWithParam<ColorScheme> {
protected:
    ColorScheme scheme() const { return GetParam(); }
    QString name(const char *state) const
    {
        return QStringLiteral("readout-%1-%2").arg(QLatin1String(state), QLatin1String(schemeName(scheme())));
    }
    void write(SessionReadoutView &view, const char *state, int width = cardWidth)
    {
        saveToGallery(staged(view, scheme(), width), name(state));
    }
};

} // namespace

TEST_P(ReadoutGallery, StagedStates)
{
    const std::pair<AppModel::Scenario, const char *> states[] = {
        {AppModel::Ready, "ready"},     {AppModel::Off, "off"},        {AppModel::Starting, "starting"},
        {AppModel::Stopping, "ending"}, {AppModel::Failure, "failed"}, {AppModel::RetainedFailure, "attention"},
    };
    for (const auto &[scenario, state] : states) {
        ReadoutModel engine(true);
        engine.model->applySnapshotFixture(scenario);
        SessionReadoutView view(*engine.model, environmentFor(scheme()), QStringLiteral("en_US"));
        write(view, state);
    }
}

TEST_P(ReadoutGallery, Countdowns)
{
    ReadoutModel engine;
    Date now = utc(2024, 3, 5, 14, 20);
    SessionReadoutView view(*engine.model, environmentFor(scheme()), QStringLiteral("en_US"));
    view.setClock([&now] { return now; });
    engine.model->setPanelVisible(true);
    engine.startSession(SessionDuration::hours2());
    engine.advance(secs(7200 - 3903));
    view.refresh();
    ASSERT_EQ(view.currentBoard().word(), QStringLiteral("01:05:03"));
    write(view, "countdown");

    // Ends after midnight: the date joins the time.
    now = utc(2024, 3, 5, 23, 40);
    view.refresh();
    write(view, "countdown-tomorrow");

    // A narrow card wraps the board onto centred rows.
    write(view, "countdown-narrow", 150);

    // The largest text size: bigger flaps, wrapped as they need.
    orbel::OrbelEnvironment largest = environmentFor(scheme());
    largest.textSize = orbel::TextSize::Accessibility5;
    view.setEnvironment(largest);
    write(view, "countdown-largest-text");
}

TEST_P(ReadoutGallery, LongCountdownAndNoLimit)
{
    ReadoutModel engine;
    SessionReadoutView view(*engine.model, environmentFor(scheme()), QStringLiteral("en_US"));
    view.setClock([] { return utc(2024, 3, 5, 9, 0); });
    engine.model->setPanelVisible(true);
    engine.startSession(SessionDuration::custom(secs(123 * 3600 + 4 * 60 + 5)));
    ASSERT_EQ(view.currentBoard().word(), QStringLiteral("123:04:05"));
    write(view, "countdown-123h");
    engine.endSession();

    engine.startSession(SessionDuration::untilStopped());
    ASSERT_EQ(view.currentBoard().word(), QStringLiteral("NO LIMIT"));
    write(view, "no-limit");
}

TEST_P(ReadoutGallery, MidFlip)
{
    ReadoutModel engine;
    SessionReadoutView view(*engine.model, environmentFor(scheme(), false), QStringLiteral("en_US"));
    view.setClock([] { return utc(2024, 3, 5, 9, 0); });
    engine.model->setPanelVisible(true);
    engine.startSession(SessionDuration::hour1());
    engine.advance(secs(50 * 60 + 1));
    view.refresh();
    SplitFlap *seconds = view.flapBoard().flapAt(4);
    ASSERT_TRUE(seconds->isFlipping());
    EXPECT_TRUE(QTest::qWaitFor([&] { return seconds->angle() < -28; }, 1000));
    write(view, "flip");
}

TEST_P(ReadoutGallery, CardTileAndHingeColours)
{
    ReadoutModel engine;
    QWidget stage;
    auto *layout = new QVBoxLayout(&stage);
    layout->setContentsMargins(0, 0, 0, 0);
    auto &view = *new SessionReadoutView(*engine.model, environmentFor(scheme()), QStringLiteral("en_US"), &stage);
    layout->addWidget(&view);
    engine.model->setPanelVisible(true);
    engine.startSession(SessionDuration::hour1());
    layOut(&stage, cardWidth);
    const QImage image = render(&stage, 1.0);

    const QColor card = ReadoutBoard::cardColor(scheme());
    const QColor tile = SplitFlap::tileColor(scheme());
    EXPECT_EQ(card, scheme() == ColorScheme::Dark ? QColor(16, 16, 15) : QColor(25, 25, 24));
    // The card inside its rounded corners.
    EXPECT_EQ(pixel(image, QPoint(20, 4)), card);
    EXPECT_EQ(pixel(image, QPoint(cardWidth - 20, view.height() - 4)), card);
    // The corner itself is cut away.
    EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0);

    for (int i = 0; i < 5; i += 2) {
        SplitFlap *flap = view.flapBoard().flapAt(i);
        const QRect frame(flap->mapTo(&view, QPoint(0, 0)), flap->size());
        ASSERT_EQ(frame.height(), 40);
        // The tile left of the text, above and below the hinge.
        EXPECT_EQ(pixel(image, frame.topLeft() + QPoint(3, 6)), tile);
        EXPECT_EQ(pixel(image, frame.topLeft() + QPoint(3, 33)), tile);
        // The hinge: one row of the card's colour across the tile's middle.
        EXPECT_EQ(pixel(image, frame.topLeft() + QPoint(3, 20)), card);
        EXPECT_EQ(pixel(image, frame.topLeft() + QPoint(frame.width() - 2, 20)), card);
        EXPECT_EQ(pixel(image, frame.topLeft() + QPoint(3, 19)), tile);
        EXPECT_EQ(pixel(image, frame.topLeft() + QPoint(3, 21)), tile);
    }
    // Between two flaps, the colon sits on the card itself.
    QWidget *colon = view.flapBoard().pieceWidget(1);
    EXPECT_EQ(pixel(image, colon->mapTo(&view, QPoint(0, 2))), card);

    // Somewhere in the middle flap the text's ink shows.
    SplitFlap *minutes = view.flapBoard().flapAt(2);
    const QRect frame(minutes->mapTo(&view, QPoint(0, 0)), minutes->size());
    bool inked = false;
    for (int x = frame.left() + 8; x < frame.right() - 8 && !inked; ++x) {
        for (int y = frame.top() + 8; y < frame.bottom() - 8 && !inked; ++y)
            inked = pixel(image, QPoint(x, y)) == ReadoutBoard::ink();
    }
    EXPECT_TRUE(inked);
}

INSTANTIATE_TEST_SUITE_P(Schemes, ReadoutGallery, ::testing::Values(ColorScheme::Light, ColorScheme::Dark),
                         [](const auto &info) { return std::string(schemeName(info.param)); });
