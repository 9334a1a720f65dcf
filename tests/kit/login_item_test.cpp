#include "login_item.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orbel;

namespace {

struct LogLine {
    QtMsgType type;
    QString category;
    QString message;
};

// Collects what is written to the log while it lives.
class LogCapture {
public:
    LogCapture() { s_previous = qInstallMessageHandler(&LogCapture::handle); }
    ~LogCapture() { qInstallMessageHandler(s_previous); }

    static QList<LogLine> lines;

private:
    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &message)
    {
        lines.append({type, QString::fromUtf8(context.category), message});
    }

    static inline QtMessageHandler s_previous = nullptr;
};

QList<LogLine> LogCapture::lines;

AutostartIdentity identityIn(const QString &configHome)
{
    AutostartIdentity identity;
    identity.appId = QStringLiteral("org.example.LoginItemTest");
    identity.name = QStringLiteral("Test");
    identity.programPath = QStringLiteral("/usr/bin/true");
    identity.configHome = configHome;
    return identity;
}

class LoginItemTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        LogCapture::lines.clear();
    }

    QString entryPath() const { return home.path() + QStringLiteral("/autostart/org.example.LoginItemTest.desktop"); }

    QTemporaryDir home;
};

} // namespace

TEST_F(LoginItemTest, ChangesThatSucceedWriteNothing)
{
    LogCapture capture;
    LoginItem item{AutostartEntry(identityIn(home.path()))};
    EXPECT_FALSE(item.isEnabled());
    QSignalSpy changed(&item, &LoginItem::enabledChanged);

    item.setEnabled(true);
    EXPECT_TRUE(item.isEnabled());
    EXPECT_TRUE(QFile::exists(entryPath()));
    ASSERT_EQ(changed.size(), 1);
    EXPECT_TRUE(changed.first().first().toBool());

    item.setEnabled(false);
    EXPECT_FALSE(item.isEnabled());
    EXPECT_FALSE(QFile::exists(entryPath()));
    EXPECT_EQ(changed.size(), 2);
    EXPECT_TRUE(LogCapture::lines.isEmpty());
}

TEST_F(LoginItemTest, AFailedChangeIsLoggedAndTheSwitchShowsTheRealState)
{
    // A file where the configuration folder should be: nothing can be written.
    const QString blocked = home.path() + QStringLiteral("/not-a-folder");
    QFile file(blocked);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    LogCapture capture;
    LoginItem item{AutostartEntry(identityIn(blocked))};
    QSignalSpy changed(&item, &LoginItem::enabledChanged);
    item.setEnabled(true);
    EXPECT_FALSE(item.isEnabled());
    EXPECT_TRUE(changed.isEmpty());

    ASSERT_EQ(LogCapture::lines.size(), 1);
    const LogLine &line = LogCapture::lines.first();
    EXPECT_EQ(line.type, QtWarningMsg);
    EXPECT_EQ(line.category, QStringLiteral("login"));
    EXPECT_EQ(line.message,
              QStringLiteral("login item change failed: Could not create the folder %1/autostart.").arg(blocked));
}

TEST_F(LoginItemTest, RefreshNotifiesOnlyWhenTheStateChanged)
{
    LoginItem item{AutostartEntry(identityIn(home.path()))};
    QSignalSpy changed(&item, &LoginItem::enabledChanged);
    item.refresh();
    EXPECT_TRUE(changed.isEmpty());

    // Someone else registers the program behind the item's back.
    AutostartEntry(identityIn(home.path())).enable();
    EXPECT_FALSE(item.isEnabled());
    item.refresh();
    EXPECT_TRUE(item.isEnabled());
    item.refresh();
    EXPECT_EQ(changed.size(), 1);
}
