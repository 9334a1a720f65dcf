// The kit's login item over an autostart folder: what it writes, what it
// tells, and what it logs when the folder cannot be written.
#include "kit_test_support.h"

#include <QFile>
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

// Its own changes and, on refresh, changes made behind its back are told
// once each; none of them logs anything.
TEST(LoginItem, ChangesAreToldOnceAndLogNothing)
{
    LogCapture capture;
    ScratchLoginItem scratch(QStringLiteral("org.example.LoginItemTest"));
    LoginItem &item = scratch.item;
    EXPECT_FALSE(item.isEnabled());
    QSignalSpy changed(&item, &LoginItem::enabledChanged);

    item.setEnabled(true);
    EXPECT_TRUE(item.isEnabled());
    EXPECT_TRUE(QFile::exists(scratch.entryPath()));
    item.setEnabled(false);
    EXPECT_FALSE(item.isEnabled());
    EXPECT_FALSE(QFile::exists(scratch.entryPath()));
    ASSERT_EQ(changed.size(), 2);
    EXPECT_TRUE(changed.at(0).at(0).toBool());
    EXPECT_FALSE(changed.at(1).at(0).toBool());
    item.refresh();
    EXPECT_EQ(changed.size(), 2);

    // Someone else registers the program behind the item's back.
    AutostartEntry(scratch.identity).enable();
    EXPECT_FALSE(item.isEnabled());
    item.refresh();
    EXPECT_TRUE(item.isEnabled());
    item.refresh();
    EXPECT_EQ(changed.size(), 3);
    EXPECT_TRUE(logLines.isEmpty()) << logLines.join(u'\n').toStdString();
}

TEST(LoginItem, AFailedChangeIsLoggedAndTheSwitchShowsTheRealState)
{
    // A file where the configuration folder should be: nothing can be written.
    QTemporaryDir home;
    const QString blocked = home.filePath(QStringLiteral("not-a-folder"));
    QFile file(blocked);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    AutostartIdentity identity;
    identity.appId = QStringLiteral("org.example.LoginItemTest");
    identity.programPath = QStringLiteral("/usr/bin/true");
    identity.configHome = blocked;

    LogCapture capture;
    LoginItem item{AutostartEntry(identity)};
    QSignalSpy changed(&item, &LoginItem::enabledChanged);
    item.setEnabled(true);
    EXPECT_FALSE(item.isEnabled());
    EXPECT_TRUE(changed.isEmpty());
    EXPECT_EQ(logLines, QStringList{QStringLiteral("%1 login: login item change failed: Could not create the folder "
                                                   "%2/autostart.")
                                        .arg(int(QtWarningMsg))
                                        .arg(blocked)});
}
