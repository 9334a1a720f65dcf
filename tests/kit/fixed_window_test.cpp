// The fixed window host: what it does with sizes its content reports, and
// the keys that close it.
#include "fixed_window.h"

#include "settle.h"

#include <QLineEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWindow>

#include <gtest/gtest.h>

#include <limits>

using orbel::FixedWindow;
using pelorin::test::settle;

namespace {

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

} // namespace

TEST(FixedWindow, IgnoresReportsThatAreNotFinitePositiveSizes)
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

TEST(FixedWindow, CtrlWClosesOnlyWithCtrlAlone)
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

TEST(FixedWindow, EscapeEndsAnEditBeforeItClosesTheWindow)
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
