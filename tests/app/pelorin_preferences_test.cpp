#include "pelorin_preferences.h"

#include "engine_fakes.h"

#include "test_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <stdexcept>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace pelorin {
namespace {

using pelorin::test::readFile;
using pelorin::test::writeFile;

using fakes::FakeLoginItem;

QVariant storedValue(const QString &path, const QString &key)
{
    return QSettings(path, QSettings::IniFormat).value(key);
}

class PelorinPreferencesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString settingsPath() const { return m_dir.path() + "/config/Pelorin/Pelorin.conf"_L1; }

    std::unique_ptr<PelorinPreferences> make(bool isSnapshot = false, const QString &path = {})
    {
        auto login = std::make_unique<FakeLoginItem>();
        fake = login.get();
        return std::make_unique<PelorinPreferences>(path.isEmpty() ? settingsPath() : path, isSnapshot,
                                                    std::move(login));
    }

    QTemporaryDir m_dir;
    FakeLoginItem *fake = nullptr; // owned by the preferences
};

TEST_F(PelorinPreferencesTest, ReadsOnlyBooleansFromTheFile)
{
    struct Case {
        QByteArray stored;
        bool armed;
        bool seenWelcome;
    };
    const Case cases[] = {
        {"[General]\narmed=false\nseenWelcome=true\n", false, true},
        {"[General]\narmed=maybe\nseenWelcome=yes\n", true, false},
        {"[General]\narmed=0\nseenWelcome=1\n", false, true},
        {"[General]\narmed = FALSE ; set by hand\nseenWelcome=\"True\"\n", false, true},
        {"[General]\narmed=\nseenWelcome=\n", true, false},
        {"[General]\narmed=false, true\n", true, false},
        {"[General]\nother=1\n", true, false},
    };
    int index = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.stored.toStdString());
        // A file of its own each: QSettings keeps what it read of a path for
        // the whole process, and a rewrite of the same size within the same
        // second looks unchanged to it.
        const QString path = m_dir.path() + "/case"_L1 + QString::number(++index) + ".conf"_L1;
        ASSERT_TRUE(writeFile(path, c.stored));
        auto prefs = make(false, path);
        EXPECT_EQ(prefs->armed(), c.armed);
        EXPECT_EQ(prefs->hasSeenWelcome(), c.seenWelcome);
    }
}

TEST_F(PelorinPreferencesTest, EveryDisarmCallsBackAndIsWritten)
{
    auto prefs = make();
    int disarms = 0;
    prefs->setOnDisarm([&disarms] { ++disarms; });
    QSignalSpy changes(prefs.get(), &PelorinPreferences::armedChanged);
    prefs->setArmed(false);

    // Someone else writes true; the repeated false must still reach the file.
    QSettings(settingsPath(), QSettings::IniFormat).setValue(u"armed"_s, true);
    prefs->setArmed(false);
    EXPECT_EQ(disarms, 2);
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(storedValue(settingsPath(), u"armed"_s).toString(), u"false"_s);

    prefs->setArmed(true);
    EXPECT_EQ(disarms, 2);
    EXPECT_EQ(changes.count(), 2);
    EXPECT_EQ(storedValue(settingsPath(), u"armed"_s).toString(), u"true"_s);

    prefs->setArmed(false);
    prefs.reset();
    EXPECT_FALSE(make()->armed());
}

// A snapshot draws the defaults, whatever the user stored, and leaves the
// file and the login item alone; its changes hold for the run.
TEST_F(PelorinPreferencesTest, SnapshotRunReadsAndWritesNothing)
{
    const QByteArray stored = "[General]\narmed=false\nseenWelcome=true\n";
    ASSERT_TRUE(writeFile(settingsPath(), stored));
    auto prefs = make(true);
    EXPECT_TRUE(prefs->armed());
    EXPECT_FALSE(prefs->hasSeenWelcome());

    prefs->setArmed(false);
    prefs->setArmed(true);
    prefs->markWelcomeSeen();
    prefs->refreshLoginState();
    prefs->setOpenAtLogin(true);
    prefs->openLoginSettings();
    EXPECT_TRUE(prefs->hasSeenWelcome());
    EXPECT_EQ(prefs->loginState(), LoginItemState::disabled);
    EXPECT_EQ(fake->reads, 0);
    EXPECT_TRUE(fake->requests.isEmpty());
    EXPECT_EQ(fake->settingsOpened, 0);
    prefs.reset();
    EXPECT_EQ(readFile(settingsPath()), stored);
}

TEST_F(PelorinPreferencesTest, UnreadableSettingsFileKeepsTheDefaultsAndIsNeverWritten)
{
    const QByteArray cases[] = {
        QByteArray("PK\x03\x04\x00\x00\x00\x00\x08\x00"
                   "armed=false\n",
                   22),
        "[General]\narmed=\xe9t\xe9\n",
    };
    for (const QByteArray &stored : cases) {
        SCOPED_TRACE(stored.toStdString());
        ASSERT_TRUE(writeFile(settingsPath(), stored));
        auto prefs = make();
        EXPECT_TRUE(prefs->armed());
        EXPECT_FALSE(prefs->hasSeenWelcome());
        // Changes hold for the session all the same.
        prefs->setArmed(false);
        prefs->markWelcomeSeen();
        EXPECT_FALSE(prefs->armed());
        prefs.reset();
        EXPECT_EQ(readFile(settingsPath()), stored);
        EXPECT_EQ(QDir(QFileInfo(settingsPath()).absolutePath()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                  QStringList{u"Pelorin.conf"_s});
    }
}

// Lines Pelorin did not write, well-formed or not, stay as they are; keys
// around a line that is not one are still read.
TEST_F(PelorinPreferencesTest, EveryLineOfAHandEditedFileSurvivesAWrite)
{
    struct Case {
        QByteArray stored;
        bool armed;
        QByteArray afterDisarmAndWelcome;
    };
    const Case cases[] = {
        {"armed=false\nseenWelcome=true\nmy note here\n", false, "armed=false\nseenWelcome=true\nmy note here\n"},
        {"; kept by hand\r\n[General]\r\narmed = true ; was false\r\n\r\n[Other]\r\nkey=value\r\n", true,
         "; kept by hand\r\n[General]\r\narmed = false ; was false\r\nseenWelcome=true\r\n\r\n[Other]\r\n"
         "key=value\r\n"},
        {"note=keep this; and this part too\nmy key=1\npath=\"C:\\dir\"\n# hash\n[Other]\narmed=true\n", true,
         "note=keep this; and this part too\nmy key=1\npath=\"C:\\dir\"\n# hash\narmed=false\nseenWelcome=true\n"
         "[Other]\narmed=true\n"},
        {"[General\n=orphan\n{\"armed\": true}", true,
         "[General\n=orphan\n{\"armed\": true}\narmed=false\nseenWelcome=true\n"},
        {"", true, "[General]\narmed=false\nseenWelcome=true\n"},
        // A byte-order mark, as some editors write one, stays at the start.
        {"\xEF\xBB\xBF[General]\narmed=true\n", true, "\xEF\xBB\xBF[General]\narmed=false\nseenWelcome=true\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.stored.toStdString());
        ASSERT_TRUE(writeFile(settingsPath(), c.stored));
        auto prefs = make();
        EXPECT_EQ(prefs->armed(), c.armed);
        prefs->setArmed(false);
        prefs->markWelcomeSeen();
        prefs.reset();
        EXPECT_EQ(readFile(settingsPath()), c.afterDisarmAndWelcome);
        // And the next launch reads what was written.
        prefs = make();
        EXPECT_FALSE(prefs->armed());
        EXPECT_TRUE(prefs->hasSeenWelcome());
    }
}

// A file that can't be written, or a path that must not be written through
// or onto (a link, a FIFO, a folder), leaves the change in effect for the
// session and writes nothing anywhere. Reading the FIFO doesn't wait for a
// writer.
TEST_F(PelorinPreferencesTest, AChangeThatCannotBeWrittenHoldsForTheSession)
{
    const QString blocked = m_dir.path() + "/blocked"_L1;
    ASSERT_TRUE(writeFile(blocked, "a file, not a folder"));
    const QString elsewhere = m_dir.path() + "/elsewhere.conf"_L1;
    ASSERT_TRUE(QDir().mkpath(QFileInfo(settingsPath()).absolutePath()));
    ASSERT_TRUE(QFile::link(elsewhere, settingsPath()));
    const QString fifo = m_dir.path() + "/fifo.conf"_L1;
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString folder = m_dir.path() + "/folder.conf"_L1;
    ASSERT_TRUE(QDir().mkpath(folder));

    for (const QString &path : {QString(blocked + "/Pelorin.conf"_L1), settingsPath(), fifo, folder}) {
        SCOPED_TRACE(path.toStdString());
        auto prefs = make(false, path);
        EXPECT_TRUE(prefs->armed());
        prefs->setArmed(false);
        prefs->markWelcomeSeen();
        EXPECT_FALSE(prefs->armed());
        EXPECT_TRUE(prefs->hasSeenWelcome());
    }
    EXPECT_EQ(readFile(blocked), "a file, not a folder");
    EXPECT_FALSE(QFileInfo::exists(elsewhere));
    EXPECT_TRUE(QFileInfo(settingsPath()).isSymLink());
    EXPECT_FALSE(QFileInfo(fifo).isFile());
    EXPECT_TRUE(QFileInfo(folder).isDir());
}

TEST_F(PelorinPreferencesTest, ChangeUnderWayIgnoresAnotherAndEndsWithTheReadBack)
{
    auto prefs = make();
    prefs->refreshLoginState();
    fake->hold = true;
    fake->stateAfterChange = LoginItemState::requiresApproval;
    QSignalSpy busy(prefs.get(), &PelorinPreferences::loginBusyChanged);
    QSignalSpy failed(prefs.get(), &PelorinPreferences::loginFailedChanged);
    LoginItemState stateWhenIdle = LoginItemState::unavailable;
    QObject::connect(prefs.get(), &PelorinPreferences::loginBusyChanged, prefs.get(), [&](bool isBusy) {
        if (!isBusy)
            stateWhenIdle = prefs->loginState();
    });

    prefs->setOpenAtLogin(true);
    EXPECT_TRUE(prefs->loginBusy());
    prefs->setOpenAtLogin(false);
    prefs->setOpenAtLogin(true);
    EXPECT_EQ(fake->requests, QList<bool>{true});
    EXPECT_EQ(prefs->loginState(), LoginItemState::disabled);

    fake->release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !prefs->loginBusy(); }));
    EXPECT_EQ(prefs->loginState(), LoginItemState::requiresApproval);
    EXPECT_TRUE(prefs->opensAtLogin());
    EXPECT_EQ(stateWhenIdle, LoginItemState::requiresApproval);
    EXPECT_EQ(busy.count(), 2);
    EXPECT_EQ(failed.count(), 0);
}

} // namespace
} // namespace pelorin
