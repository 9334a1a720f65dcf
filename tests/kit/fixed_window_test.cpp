// The fixed window host on two offscreen screens (see two_screens.json): a
// 1280 x 800 one on the left, primary, and a 1920 x 1200 one on its right.
// The offscreen platform gives every window a frame of 2 pixels a side.
#include "fixed_window.h"
#include "window_singletons.h"

#include <QCursor>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWindow>

#include "settle.h"

#include <gtest/gtest.h>

#include <limits>

using orbel::FixedWindow;
using pelorin::test::settle;

namespace {

constexpr int frameMargin = 2;

QtMessageHandler previousHandler = nullptr;

// The offscreen platform warns that it cannot raise windows or pass on size
// hints, on every show and every fixed-size change.
void quietPlatformWarnings(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.startsWith(QLatin1String("This plugin does not support")))
        return;
    previousHandler(type, context, message);
}

// Counts the resizes and moves a window goes through.
class GeometryCounter : public QObject {
public:
    explicit GeometryCounter(QWidget *watched) { watched->installEventFilter(this); }
    int resizes = 0;
    int moves = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Resize)
            ++resizes;
        else if (event->type() == QEvent::Move)
            ++moves;
        return false;
    }
};

FixedWindow::Content plainContent()
{
    return [] { return std::make_unique<QWidget>(); };
}

// Content with one text field, handed back through `field`.
FixedWindow::Content contentWithField(QPointer<QLineEdit> *field)
{
    return [field] {
        auto content = std::make_unique<QWidget>();
        auto *layout = new QVBoxLayout(content.get());
        *field = new QLineEdit(content.get());
        layout->addWidget(*field);
        layout->addStretch();
        return content;
    };
}

class FixedWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { previousHandler = qInstallMessageHandler(quietPlatformWarnings); }
    static void TearDownTestSuite() { qInstallMessageHandler(previousHandler); }

    void SetUp() override
    {
        const auto screens = QGuiApplication::screens();
        ASSERT_EQ(screens.size(), 2) << "run with -platform offscreen:configfile=tests/kit/two_screens.json";
        left = screens.at(0);
        right = screens.at(1);
        pointAt(left);
    }

    static void pointAt(const QScreen *screen) { QCursor::setPos(screen->geometry().center()); }

    // Lets queued reports and the platform's geometry events through.

    // The frame a window of `client` size centred on `screen` should have.
    static QRect centredFrame(const QScreen *screen, QSize client)
    {
        const QSize frame = client + QSize(2 * frameMargin, 2 * frameMargin);
        const QRect visible = screen->availableGeometry();
        return {qRound(visible.x() + visible.width() / 2.0 - frame.width() / 2.0),
                qRound(visible.y() + visible.height() / 2.0 - frame.height() / 2.0), frame.width(), frame.height()};
    }

    QScreen *left = nullptr;
    QScreen *right = nullptr;
};

TEST_F(FixedWindowTest, IgnoresReportsThatAreNotFinitePositiveSizes)
{
    FixedWindow host({.anchorsTop = true});
    host.show(QStringLiteral("Test"), {}, 560, plainContent());
    QWidget *window = host.window();
    settle();
    const QRect before = window->frameGeometry();
    GeometryCounter counter(window);

    constexpr qreal infinity = std::numeric_limits<qreal>::infinity();
    constexpr qreal nan = std::numeric_limits<qreal>::quiet_NaN();
    for (QSizeF size : {QSizeF(560, 0), QSizeF(0, 300), QSizeF(560, -8), QSizeF(560, infinity), QSizeF(infinity, 300),
                        QSizeF(560, nan), QSizeF(nan, nan)})
        host.report(size);
    settle();

    EXPECT_FALSE(host.contentSize());
    EXPECT_EQ(window->frameGeometry(), before);
    EXPECT_EQ(counter.resizes + counter.moves, 0);
}

TEST_F(FixedWindowTest, CtrlWClosesOnlyWithCtrlAlone)
{
    int closes = 0;
    QPointer<QLineEdit> field;
    FixedWindow host({.closesWithCommandW = true, .anchorsTop = true});
    host.show(
        QStringLiteral("Test"), [&closes] { ++closes; }, 560, contentWithField(&field));
    QWidget *window = host.window();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    field->setFocus();
    QWindow *handle = window->windowHandle();

    QTest::keyClick(handle, Qt::Key_W, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(handle, Qt::Key_W, Qt::ControlModifier | Qt::AltModifier);
    QTest::keyClick(handle, Qt::Key_W, Qt::ControlModifier | Qt::MetaModifier);
    QTest::keyClick(handle, Qt::Key_W);
    settle();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(closes, 0);

    // Even while typing in a field.
    QTest::keyClick(handle, Qt::Key_W, Qt::ControlModifier);
    settle();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(closes, 1);

    // A window made without the shortcut ignores it.
    FixedWindow plain({.closesWithCommandW = false, .anchorsTop = true});
    plain.show(
        QStringLiteral("Plain"), [&closes] { ++closes; }, 560, plainContent());
    ASSERT_TRUE(QTest::qWaitForWindowActive(plain.window()));
    QTest::keyClick(plain.window()->windowHandle(), Qt::Key_W, Qt::ControlModifier);
    settle();
    EXPECT_TRUE(plain.window()->isVisible());
    EXPECT_EQ(closes, 1);
}

TEST_F(FixedWindowTest, EscapeEndsAnEditBeforeItClosesTheWindow)
{
    int closes = 0;
    QPointer<QLineEdit> field;
    FixedWindow host({.closesWithCommandW = true, .anchorsTop = true});
    host.show(
        QStringLiteral("Test"), [&closes] { ++closes; }, 560, contentWithField(&field));
    QWidget *window = host.window();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    field->setFocus();
    QTest::keyClicks(field, QStringLiteral("abc"));
    QSignalSpy finished(field.data(), &QLineEdit::editingFinished);
    QWindow *handle = window->windowHandle();

    QTest::keyClick(handle, Qt::Key_Escape);
    settle();
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(field->hasFocus());
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(field->text(), QStringLiteral("abc"));
    EXPECT_EQ(closes, 0);

    QTest::keyClick(handle, Qt::Key_Escape);
    settle();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(closes, 1);
}

} // namespace
