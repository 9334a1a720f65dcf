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

TEST(FixedWindow, IgnoresReportsThatAreNotFinitePositiveSizes)
{
    FixedWindow host({.anchorsTop = true});
    host.show(QStringLiteral("Test"), {}, 560, [] { return std::make_unique<QWidget>(); });
    QWidget *window = host.window();
    settle();
    const QRect before = window->frameGeometry();

    constexpr qreal infinity = std::numeric_limits<qreal>::infinity();
    constexpr qreal nan = std::numeric_limits<qreal>::quiet_NaN();
    for (QSizeF size : {QSizeF(560, 0), QSizeF(0, 300), QSizeF(560, -8), QSizeF(560, infinity), QSizeF(infinity, 300),
                        QSizeF(560, nan), QSizeF(nan, nan)})
        host.report(size);
    settle();

    EXPECT_FALSE(host.contentSize());
    EXPECT_EQ(window->frameGeometry(), before);
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
