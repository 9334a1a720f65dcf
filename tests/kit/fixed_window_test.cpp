// The fixed window host: what it does with sizes its content reports, and
// the keys that close it. Run on two screens side by side (two_screens.json):
// 1280 x 800 on the left, primary, and 1920 x 1200 on the right.
#include "fixed_window.h"

#include "settle.h"

#include <QCursor>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPointer>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWindow>

#include <gtest/gtest.h>

#include <limits>

using orbel::FixedWindow;
using pelorin::test::settle;

namespace {

class FixedWindowSizing : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QList<QScreen *> screens = QGuiApplication::screens();
        ASSERT_EQ(screens.size(), 2) << "run with -platform offscreen:configfile=two_screens.json";
        left = screens.at(0);
        right = screens.at(1);
        pointAt(left);
    }

    static void pointAt(const QScreen *screen) { QCursor::setPos(screen->geometry().center()); }

    // Shows a host with empty content on the screen under the pointer.
    QWidget *show(FixedWindow &host)
    {
        host.show(QStringLiteral("Test"), {}, 560, [] { return std::make_unique<QWidget>(); });
        settle();
        return host.window();
    }

    // The frame of `window` at `client` size centred on `screen`'s visible area.
    static QRect centred(const QScreen *screen, QSize client, const QWidget *window)
    {
        QRect frame({}, client + window->frameGeometry().size() - window->size());
        frame.moveCenter(screen->availableGeometry().center());
        return frame;
    }

    QScreen *left = nullptr;
    QScreen *right = nullptr;
};

// Counts the resizes a window goes through.
struct ResizeCounter : QObject {
    explicit ResizeCounter(QWidget *watched) { watched->installEventFilter(this); }
    bool eventFilter(QObject *, QEvent *event) override
    {
        resizes += event->type() == QEvent::Resize;
        return false;
    }
    int resizes = 0;
};

} // namespace

// The height goes up in steps of 4 and never past the visible height less
// 64; a size larger than the screen fills its visible width and stays on it.
// A size that is not finite and positive changes nothing.
TEST_F(FixedWindowSizing, HeightsGoUpInStepsOfFourAndStopShortOfTheScreensHeight)
{
    constexpr qreal inf = std::numeric_limits<qreal>::infinity();
    constexpr qreal nan = std::numeric_limits<qreal>::quiet_NaN();
    const struct {
        QSizeF reported;
        QSize client;
    } rows[] = {
        {{560, 401}, {560, 404}},  {{560, 0}, {560, 404}},     {{0, 300}, {560, 404}},
        {{560, -8}, {560, 404}},   {{560, inf}, {560, 404}},   {{inf, 300}, {560, 404}},
        {{nan, nan}, {560, 404}},  {{560, 400}, {560, 400}},   {{560, 0.5}, {560, 4}},
        {{560, 5000}, {560, 736}}, {{600.2, 300}, {601, 300}}, {{1e300, 1e300}, {1280 - 4, 736}},
    };
    FixedWindow host({.anchorsTop = true});
    QWidget *window = show(host);
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message() << row.reported.width() << " x " << row.reported.height());
        host.report(row.reported);
        settle();
        EXPECT_EQ(window->size(), row.client);
        EXPECT_TRUE(left->availableGeometry().contains(window->frameGeometry()));
    }
}

// Sizes reported before the event loop turns make one resize, to the last
// of them. A top-anchored window keeps its top edge as it grows, another its
// vertical centre; either is pushed back onto the screen.
TEST_F(FixedWindowSizing, ReportsInOneTurnMakeOneResizeThatKeepsTheTopOrTheCentre)
{
    for (const bool anchorsTop : {true, false}) {
        SCOPED_TRACE(anchorsTop ? "top anchored" : "centred");
        FixedWindow host({.anchorsTop = anchorsTop});
        QWidget *window = show(host);
        host.report({560, 300});
        settle();
        const QRect before = window->frameGeometry();

        ResizeCounter counter(window);
        for (const qreal height : {320, 340, 500})
            host.report({560, height});
        EXPECT_EQ(window->frameGeometry(), before) << "resized before the event loop turned";
        settle();
        EXPECT_EQ(counter.resizes, 1);
        const QRect after = window->frameGeometry();
        EXPECT_EQ(after.height() - before.height(), 200);
        EXPECT_EQ(after.center().x(), before.center().x());
        if (anchorsTop)
            EXPECT_EQ(after.top(), before.top());
        else
            EXPECT_NEAR(after.center().y(), before.center().y(), 1);

        // Low on the screen, growing pushes it up until its bottom edge
        // meets the visible area's.
        window->move(after.x(), 700);
        settle();
        host.report({560, 600});
        settle();
        EXPECT_EQ(window->frameGeometry().bottom(), left->availableGeometry().bottom());
        EXPECT_EQ(window->height(), 600);
    }
}

// A window opens centred on the screen under the pointer, and a top-anchored
// one is centred once more after its first sizing. Shown again while open it
// stays put. Moved to a screen of another height, it is sized again from the
// content's size.
TEST_F(FixedWindowSizing, OpensOnThePointersScreenAndEachScreenGetsTheContentSizeAgain)
{
    FixedWindow host({.anchorsTop = true});
    pointAt(right);
    QWidget *window = show(host);
    EXPECT_EQ(window->screen(), right);
    EXPECT_EQ(window->frameGeometry(), centred(right, {560, 480}, window));
    host.report({560, 301});
    settle();
    EXPECT_EQ(window->frameGeometry(), centred(right, {560, 304}, window));

    pointAt(left);
    show(host);
    EXPECT_EQ(window->frameGeometry(), centred(right, {560, 304}, window));

    host.report({560, 1000});
    settle();
    EXPECT_EQ(window->height(), 1000);
    window->move(100, 20);
    settle();
    EXPECT_EQ(window->screen(), left);
    EXPECT_EQ(window->height(), 800 - 64);
    window->move(1500, 20);
    settle();
    EXPECT_EQ(window->screen(), right);
    EXPECT_EQ(window->height(), 1000);
}

// Ctrl+W closes, even while typing in a field, but not with another modifier
// or in a window made without it; Escape first ends an edit, then closes.
TEST(FixedWindow, CtrlWAndEscapeCloseOnlyAsMeant)
{
    int closes = 0;
    QPointer<QLineEdit> field;
    FixedWindow host({.closesWithCommandW = true, .anchorsTop = true});
    const auto open = [&] {
        // Content with one text field.
        host.show(
            QStringLiteral("Test"), [&closes] { ++closes; }, 560,
            [&field] {
                auto content = std::make_unique<QWidget>();
                auto *layout = new QVBoxLayout(content.get());
                field = new QLineEdit(content.get());
                layout->addWidget(field);
                return content;
            });
        EXPECT_TRUE(QTest::qWaitForWindowActive(host.window()));
        EXPECT_NE(field, nullptr);
        if (field)
            field->setFocus();
        return host.window()->windowHandle();
    };

    QWindow *handle = open();
    QTest::keyClick(handle, Qt::Key_W, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(handle, Qt::Key_W, Qt::ControlModifier | Qt::AltModifier);
    QTest::keyClick(handle, Qt::Key_W, Qt::ControlModifier | Qt::MetaModifier);
    QTest::keyClick(handle, Qt::Key_W);
    settle();
    EXPECT_EQ(closes, 0);
    QTest::keyClick(handle, Qt::Key_W, Qt::ControlModifier);
    settle();
    EXPECT_FALSE(host.window()->isVisible());
    EXPECT_EQ(closes, 1);

    handle = open();
    field->setText(QStringLiteral("abc"));
    QSignalSpy finished(field.data(), &QLineEdit::editingFinished);
    QTest::keyClick(handle, Qt::Key_Escape);
    settle();
    EXPECT_TRUE(host.window()->isVisible());
    EXPECT_FALSE(field->hasFocus());
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(closes, 1);
    QTest::keyClick(handle, Qt::Key_Escape);
    settle();
    EXPECT_FALSE(host.window()->isVisible());
    EXPECT_EQ(closes, 2);

    FixedWindow plain({.closesWithCommandW = false, .anchorsTop = true});
    plain.show(
        QStringLiteral("Plain"), [&closes] { ++closes; }, 560, [] { return std::make_unique<QWidget>(); });
    ASSERT_TRUE(QTest::qWaitForWindowActive(plain.window()));
    QTest::keyClick(plain.window()->windowHandle(), Qt::Key_W, Qt::ControlModifier);
    settle();
    EXPECT_TRUE(plain.window()->isVisible());
    EXPECT_EQ(closes, 2);
}
