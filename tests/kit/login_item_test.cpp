// The kit's login item when its autostart folder cannot be written.
#include "kit_test_support.h"

#include "test_files.h"

#include <QSignalSpy>

using namespace orbel;
using namespace orbel::test;

namespace {

// What is written to the log while a capture lives.
QStringList logLines;

void capture(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    logLines.append(QStringLiteral("%1 %2: %3").arg(int(type)).arg(QString::fromUtf8(context.category), message));
}

struct LogCapture {
    LogCapture() { logLines.clear(); }
    ~LogCapture() { qInstallMessageHandler(previous); }
    QtMessageHandler previous = qInstallMessageHandler(capture);
};

} // namespace

// A change that cannot be written is logged, and the item (and every switch
// on it) keeps showing the real state. (Changes that go through, and changes
// made behind the item's back, are followed by the row and welcome tests.)
TEST(LoginItem, AFailedChangeIsLoggedAndTheSwitchShowsTheRealState)
{
    ScratchLoginItem scratch(QStringLiteral("org.example.LoginItemTest"));
    // A file where the autostart folder should be: nothing can be written.
    const QString blocked = scratch.home.filePath(QStringLiteral("autostart"));
    ASSERT_TRUE(pelorin::test::writeFile(blocked, {}));

    LogCapture capture;
    LoginItem &item = scratch.item;
    QSignalSpy changed(&item, &LoginItem::enabledChanged);
    item.setEnabled(true);
    EXPECT_FALSE(item.isEnabled());
    EXPECT_TRUE(changed.isEmpty());
    EXPECT_EQ(logLines, QStringList{QStringLiteral("%1 login: login item change failed: Could not create the folder "
                                                   "%2.")
                                        .arg(int(QtWarningMsg))
                                        .arg(blocked)});
}
