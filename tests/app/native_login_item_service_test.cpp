#include "native_login_item_service.h"

#include "log_capture.h"
#include "pelorin_preferences.h"
#include "test_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>
#include <string>

using namespace Qt::StringLiterals;

namespace pelorin {
namespace {

using pelorin::test::readFile;
using pelorin::test::writeFile;

using orbel::AutostartEntry;
using orbel::AutostartError;
using orbel::AutostartIdentity;
using orbel::AutostartStatus;

// Creates an executable file standing in for the program.
QString makeProgram(const QString &path)
{
    EXPECT_TRUE(writeFile(path, "#!/bin/sh\n"));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

class AutostartEntryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.isValid());
        m_program = makeProgram(m_home.path() + "/bin/pelorin"_L1);
    }

    QString configHome() const { return m_home.path() + "/config"_L1; }
    QString entryPath() const { return configHome() + "/autostart/org.example.Test.desktop"_L1; }

    AutostartIdentity identity(const QString &program) const
    {
        AutostartIdentity id;
        id.appId = u"org.example.Test"_s;
        id.name = u"Test App"_s;
        id.iconName = u"org.example.Test"_s;
        id.programPath = program;
        id.configHome = configHome();
        return id;
    }
    AutostartEntry entry() const { return AutostartEntry(identity(m_program)); }

    void writeEntry(const QByteArray &body) { writeFile(entryPath(), "[Desktop Entry]\n" + body); }
    QByteArray execLine(const QString &program) const { return "Exec=" + program.toUtf8() + "\n"; }

    QTemporaryDir m_home;
    QString m_program;
};

TEST_F(AutostartEntryTest, EnableWritesTheEntryAndDisableRemovesIt)
{
    AutostartEntry autostart = entry();
    EXPECT_EQ(autostart.path(), entryPath());
    EXPECT_EQ(autostart.status(), AutostartStatus::disabled);

    autostart.enable();
    EXPECT_EQ(readFile(entryPath()), "[Desktop Entry]\n"
                                     "Type=Application\n"
                                     "Name=Test App\n" +
                                         execLine(m_program) +
                                         "Icon=org.example.Test\n"
                                         "X-GNOME-Autostart-enabled=true\n");
    EXPECT_EQ(autostart.status(), AutostartStatus::enabled);
    autostart.enable();
    EXPECT_EQ(autostart.status(), AutostartStatus::enabled);
    // Written through a temporary file and a rename: nothing else is left.
    EXPECT_EQ(QDir(autostart.folder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{u"org.example.Test.desktop"_s});

    autostart.disable();
    EXPECT_FALSE(QFileInfo::exists(entryPath()));
    EXPECT_EQ(autostart.status(), AutostartStatus::disabled);
    EXPECT_NO_THROW(autostart.disable());
}

TEST_F(AutostartEntryTest, EntrySwitchedOffByTheDesktopWaitsForApproval)
{
    const AutostartEntry autostart = entry();
    struct Case {
        QByteArray keys;
        AutostartStatus status;
    };
    const Case cases[] = {
        {"Hidden=true\n", AutostartStatus::requiresApproval},
        {"X-GNOME-Autostart-enabled=false\n", AutostartStatus::requiresApproval},
        {"Hidden = true\nX-GNOME-Autostart-enabled=true\n", AutostartStatus::requiresApproval},
        {"Hidden=false\nX-GNOME-Autostart-enabled=true\n", AutostartStatus::enabled},
        // What desktop tools add, and comments, change nothing.
        {"# added by hand\nName[de]=Test App\nX-KDE-autostart-phase=2\nTerminal=false\n", AutostartStatus::enabled},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.keys.toStdString());
        writeEntry("Type=Application\n" + execLine(m_program) + c.keys);
        EXPECT_EQ(autostart.status(), c.status);
    }
    // Keys in another group are not the entry's.
    writeEntry(execLine(m_program) + "[Desktop Action x]\nHidden=true\n");
    EXPECT_EQ(autostart.status(), AutostartStatus::enabled);
}

// An entry under our name that doesn't start this program, or can't be
// understood, is not ours: it reads as off, and is never replaced or removed.
TEST_F(AutostartEntryTest, EntryForAnotherProgramReadsAsOffAndIsLeftAlone)
{
    const AutostartEntry autostart = entry();
    const QString other = makeProgram(m_home.path() + "/bin/other"_L1);
    const QString link = m_home.path() + "/bin/link-to-pelorin"_L1;
    ASSERT_TRUE(QFile::link(m_program, link));

    struct Case {
        QByteArray text;
        AutostartStatus status;
    };
    const Case cases[] = {
        {"[Desktop Entry]\n" + execLine(other), AutostartStatus::disabled},
        {"[Desktop Entry]\n" + execLine(m_home.path() + "/bin/gone"_L1), AutostartStatus::disabled},
        {"[Desktop Entry]\nExec=env A=1 " + m_program.toUtf8() + "\n", AutostartStatus::disabled},
        {"[Desktop Entry]\nExec=\"" + m_program.toUtf8() + "\n", AutostartStatus::disabled},
        {"[Desktop Entry]\nType=Link\n" + execLine(m_program), AutostartStatus::disabled},
        {"[Desktop Entry]\nName=No Exec\n", AutostartStatus::disabled},
        // The desktop's way of switching off a system-wide entry of that name.
        {"[Desktop Entry]\nHidden=true\n", AutostartStatus::disabled},
        {execLine(m_program), AutostartStatus::disabled},
        {"", AutostartStatus::disabled},
        {QByteArray("\xff\xfe\x00\x01", 4), AutostartStatus::disabled},
        {"[Desktop Entry]\nExec=" + m_program.toUtf8() + "\xff\n", AutostartStatus::disabled},
        // Arguments and field codes after the program, and links to it, are fine.
        {"[Desktop Entry]\nExec=" + m_program.toUtf8() + " --quiet %U\n", AutostartStatus::enabled},
        {"[Desktop Entry]\r\n" + execLine(link), AutostartStatus::enabled},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        ASSERT_TRUE(writeFile(entryPath(), c.text));
        EXPECT_EQ(autostart.status(), c.status);
        if (c.status != AutostartStatus::disabled)
            continue;
        EXPECT_THROW(entry().enable(), AutostartError);
        EXPECT_NO_THROW(entry().disable());
        EXPECT_EQ(readFile(entryPath()), c.text);
    }

    // A bare name is looked up on the PATH, as the session would.
    const auto restorePath = qScopeGuard([path = qgetenv("PATH")] { qputenv("PATH", path); });
    qputenv("PATH", QFile::encodeName(m_home.path() + "/bin"_L1));
    ASSERT_TRUE(writeFile(entryPath(), "[Desktop Entry]\nExec=pelorin\n"));
    EXPECT_EQ(autostart.status(), AutostartStatus::enabled);
    ASSERT_TRUE(writeFile(entryPath(), "[Desktop Entry]\nExec=other\n"));
    EXPECT_EQ(autostart.status(), AutostartStatus::disabled);
}

// Pelorin moved (a reinstall, a package after a build): the entry an earlier
// install wrote is still ours, marked or, from before the mark, starting a
// program named pelorin. It reads as on while that program is there, the
// switch points it at the running program, and turning it off removes it.
// Entries that start anything else are still left alone.
TEST_F(AutostartEntryTest, OurEntryWrittenByAnotherInstallStaysOurs)
{
    const QString installed = makeProgram(m_home.path() + "/old/pelorin"_L1);
    const QString wrapper = makeProgram(m_home.path() + "/old/start-it"_L1);
    const QString gone = m_home.path() + "/gone/pelorin"_L1;
    const QString other = makeProgram(m_home.path() + "/old/pelorin-helper"_L1);
    AutostartIdentity id = identity(m_program);
    id.markKey = u"X-Test-Autostart"_s;
    id.programName = u"pelorin"_s;

    struct Case {
        QByteArray text;
        AutostartStatus status;
        bool ours;
    };
    const Case cases[] = {
        {"[Desktop Entry]\n" + execLine(installed) + "X-Test-Autostart=true\n", AutostartStatus::enabled, true},
        {"[Desktop Entry]\n" + execLine(installed), AutostartStatus::enabled, true},
        {"[Desktop Entry]\n" + execLine(installed) + "Hidden=true\n", AutostartStatus::requiresApproval, true},
        {"[Desktop Entry]\n" + execLine(wrapper) + "X-Test-Autostart=true\n", AutostartStatus::enabled, true},
        {"[Desktop Entry]\n" + execLine(gone), AutostartStatus::disabled, true},
        {"[Desktop Entry]\n" + execLine(wrapper), AutostartStatus::disabled, false},
        {"[Desktop Entry]\n" + execLine(other), AutostartStatus::disabled, false},
        {"[Desktop Entry]\n" + execLine(wrapper) + "X-Test-Autostart=false\n", AutostartStatus::disabled, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        ASSERT_TRUE(writeFile(entryPath(), c.text));
        AutostartEntry autostart(id);
        EXPECT_EQ(autostart.status(), c.status);
        if (!c.ours) {
            EXPECT_THROW(autostart.enable(), AutostartError);
            EXPECT_NO_THROW(autostart.disable());
            EXPECT_EQ(readFile(entryPath()), c.text);
            continue;
        }
        autostart.enable();
        EXPECT_EQ(autostart.status(), AutostartStatus::enabled);
        const QByteArray written = readFile(entryPath());
        EXPECT_TRUE(written.contains(QByteArray("\n" + execLine(m_program)))) << written.toStdString();
        EXPECT_TRUE(written.contains("\nX-Test-Autostart=true\n")) << written.toStdString();
        ASSERT_TRUE(writeFile(entryPath(), c.text));
        autostart.disable();
        EXPECT_FALSE(QFileInfo::exists(entryPath()));
    }
}

// A link under our name is never written through nor removed, whatever it
// leads to; it reads as what it leads to, as the desktop reads it.
TEST_F(AutostartEntryTest, ALinkInPlaceOfTheEntryIsLeftAlone)
{
    const QByteArray foreign = "[Desktop Entry]\nExec=/usr/bin/other --flag\n";
    const QByteArray ours = "[Desktop Entry]\n" + execLine(m_program);
    const QString target = m_home.path() + "/elsewhere.desktop"_L1;
    ASSERT_TRUE(QDir().mkpath(entry().folder()));
    ASSERT_TRUE(QFile::link(target, entryPath()));

    struct Case {
        std::optional<QByteArray> target; // none: a dangling link
        AutostartStatus status;
    };
    for (const Case &c : {Case{foreign, AutostartStatus::disabled}, Case{ours, AutostartStatus::enabled},
                          Case{std::nullopt, AutostartStatus::disabled}}) {
        SCOPED_TRACE(c.target.value_or("(dangling)").toStdString());
        QFile::remove(target);
        if (c.target) {
            ASSERT_TRUE(writeFile(target, *c.target));
        }
        AutostartEntry autostart = entry();
        EXPECT_EQ(autostart.status(), c.status);
        EXPECT_THROW(autostart.enable(), AutostartError);
        EXPECT_THROW(autostart.disable(), AutostartError);
        EXPECT_TRUE(QFileInfo(entryPath()).isSymLink());
        EXPECT_EQ(QFileInfo::exists(target), c.target.has_value());
        if (c.target) {
            EXPECT_EQ(readFile(target), *c.target);
        }
    }
}

TEST_F(AutostartEntryTest, UnavailableWithoutAFolderOrAProgram)
{
    AutostartIdentity relativeHome = identity(m_program);
    relativeHome.configHome = u"relative/config"_s;
    AutostartIdentity noProgram = identity(u"pelorin"_s);
    AutostartIdentity noAppId = identity(m_program);
    noAppId.appId = u"../x"_s;

    for (const AutostartIdentity &id : {relativeHome, noProgram, noAppId}) {
        SCOPED_TRACE(id.configHome.toStdString() + " " + id.programPath.toStdString() + " " + id.appId.toStdString());
        AutostartEntry autostart(id);
        EXPECT_EQ(autostart.status(), AutostartStatus::unavailable);
        EXPECT_THROW(autostart.enable(), AutostartError);
    }
    EXPECT_TRUE(AutostartEntry(relativeHome).path().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(u"relative"_s));
    EXPECT_FALSE(QFileInfo::exists(configHome()));
}

TEST_F(AutostartEntryTest, FolderThatCannotBeWrittenFailsWithADescription)
{
    AutostartEntry autostart = entry();
    // A file where the folder should be fails even for root.
    ASSERT_TRUE(writeFile(configHome() + "/autostart"_L1, "not a folder"));
    try {
        autostart.enable();
        ADD_FAILURE() << "enable() succeeded";
    } catch (const AutostartError &e) {
        EXPECT_TRUE(e.description().contains(configHome() + "/autostart"_L1)) << e.what();
    }
    EXPECT_EQ(autostart.status(), AutostartStatus::disabled);
    EXPECT_NO_THROW(autostart.disable());

    // An entry that can't be removed.
    QFile::remove(configHome() + "/autostart"_L1);
    ASSERT_TRUE(QDir().mkpath(entryPath() + "/inside"_L1));
    EXPECT_THROW(autostart.disable(), AutostartError);
    EXPECT_THROW(autostart.enable(), AutostartError);
    EXPECT_EQ(autostart.status(), AutostartStatus::disabled);
}

TEST_F(AutostartEntryTest, ProgramPathsWithReservedCharactersRoundTrip)
{
    const QString folders[] = {
        u"My Apps"_s,
        u"quote\" dollar$HOME back`tick` 100% back\\slash"_s,
        u"semi;amp&pipe|lt<gt>(paren)*?#~'single'"_s,
        u"tab\there\nnewline"_s,
        u" leading space"_s,
        u"%U %% percent"_s,
        u"ünïcødé 日本"_s,
    };
    for (const QString &folder : folders) {
        SCOPED_TRACE(folder.toStdString());
        const QString program = makeProgram(m_home.path() + u'/' + folder + "/pel orin"_L1);
        AutostartEntry autostart(identity(program));
        autostart.enable();
        EXPECT_EQ(autostart.status(), AutostartStatus::enabled);

        // One line per key: the Exec value parses back to exactly the program.
        const QList<QByteArray> lines = readFile(entryPath()).split('\n');
        ASSERT_EQ(lines.size(), 7);
        ASSERT_TRUE(lines[3].startsWith("Exec="));
        const QString exec = orbel::unescapeValue(QString::fromUtf8(lines[3].mid(5)));
        EXPECT_EQ(orbel::splitExec(exec), QStringList{program});
        autostart.disable();
    }
}

TEST_F(AutostartEntryTest, PreferencesFlagAFailedChangeAndReadTheStateBack)
{
    AutostartIdentity id;
    id.programPath = m_program;
    id.configHome = configHome();
    PelorinPreferences prefs(m_home.path() + "/settings.conf"_L1, false, std::make_unique<NativeLoginItemService>(id));
    const QString folder = configHome() + "/autostart"_L1;
    ASSERT_TRUE(writeFile(folder, "not a folder"));

    prefs.refreshLoginState();
    const pelorin::test::LogCapture log;
    prefs.setOpenAtLogin(true);
    EXPECT_TRUE(prefs.loginFailed());
    EXPECT_FALSE(prefs.loginBusy());
    // One line, in the login item's log, at the error level.
    EXPECT_EQ(log.lines(),
              QStringList{log.line(QtCriticalMsg, "login",
                                   u"login item change failed: Could not create the folder %1."_s.arg(folder))});
    EXPECT_EQ(prefs.loginState(), LoginItemState::disabled);
    EXPECT_FALSE(prefs.opensAtLogin());

    QFile::remove(folder);
    prefs.setOpenAtLogin(true);
    EXPECT_FALSE(prefs.loginFailed());
    EXPECT_EQ(prefs.loginState(), LoginItemState::enabled);
    EXPECT_TRUE(prefs.opensAtLogin());

    // Switched off by the desktop: it waits for approval, it is not on.
    const QString entryPath = folder + "/" PELORIN_APP_ID ".desktop"_L1;
    ASSERT_TRUE(writeFile(entryPath, readFile(entryPath) + "Hidden=true\n"));
    prefs.refreshLoginState();
    EXPECT_EQ(prefs.loginState(), LoginItemState::requiresApproval);
}

} // namespace
} // namespace pelorin
