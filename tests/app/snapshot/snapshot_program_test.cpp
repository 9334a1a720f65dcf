// The snapshot mode as a user meets it: the real program, started with
// "--snapshot-" options in a clean environment.
#include "app/snapshot/snapshot_program.h"

#include "test_files.h"

#include <QColor>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <iostream>

#include <sys/stat.h>

namespace pelorin::test {
namespace {

using pelorin::test::readFile;
using pelorin::test::writeFile;

constexpr int panelWidth = 368;

QStringList toStandardOutput(QStringList arguments)
{
    return arguments << u"--snapshot-file"_s << u"-"_s;
}

// A run that wrote a PNG to standard output and nothing else anywhere.
void expectPictureOnStandardOutput(const ProgramRun &run)
{
    EXPECT_FALSE(run.crashed) << testing::PrintToString(run);
    EXPECT_EQ(run.exitCode, 0) << testing::PrintToString(run);
    EXPECT_EQ(run.err, QByteArray()) << testing::PrintToString(run);
    ASSERT_TRUE(run.isPng()) << testing::PrintToString(run);
    const QImage picture = run.picture();
    ASSERT_FALSE(picture.isNull()) << testing::PrintToString(run);
    EXPECT_GT(picture.height(), 0);
}

void expectFailure(const ProgramRun &run)
{
    EXPECT_FALSE(run.crashed) << testing::PrintToString(run);
    EXPECT_EQ(run.exitCode, 1) << testing::PrintToString(run);
    EXPECT_EQ(run.err, failureMessage) << testing::PrintToString(run);
    EXPECT_EQ(run.out, QByteArray()) << testing::PrintToString(run);
}

QByteArray successLine(const QString &path)
{
    return "Pelorin offscreen snapshot: " + path.toUtf8() + '\n';
}

using SnapshotOutput = SnapshotProgram;

TEST_F(SnapshotOutput, StandardOutputCarriesThePictureAndNothingElse)
{
    const ProgramRun run = this->run(toStandardOutput({}));
    expectPictureOnStandardOutput(run);
    EXPECT_EQ(run.picture().width(), panelWidth);
    EXPECT_EQ(run.picture().devicePixelRatio(), 1.0);
    // No picture was left in the temporary directory either.
    EXPECT_EQ(filesBelow(temporaryDirectory()), QStringList());
}

// A desktop around the program changes nothing: it never reaches for a
// display, whatever the environment names.
TEST_F(SnapshotOutput, NoDisplayIsEverUsed)
{
    Launch onADesktop{toStandardOutput({})};
    onADesktop.extraEnvironment = {u"QT_QPA_PLATFORM=xcb"_s, u"DISPLAY=:97"_s, u"WAYLAND_DISPLAY=wayland-97"_s};
    const std::vector<ProgramRun> runs = runAll(std::vector<Launch>{{toStandardOutput({})}, onADesktop});
    expectPictureOnStandardOutput(runs[1]);
    EXPECT_EQ(runs[1].picture().size(), runs[0].picture().size());
}

// Only a regular file is replaced: a link, even one that leads nowhere yet,
// a FIFO standing in for a device, or a folder at the path fails, and what
// it leads to is left as it was.
TEST_F(SnapshotOutput, APathThatIsNotARegularFileIsLeftAlone)
{
    const QString tmp = temporaryDirectory();
    const QString victim = path(u"victim.txt");
    const QString fifo = path(u"fifo");
    ASSERT_TRUE(writeFile(victim, "keep me"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(tmp + u"/fifo.png"_s).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(victim, tmp + u"/to-file.png"_s));
    ASSERT_TRUE(QFile::link(path(u"created.png"), tmp + u"/dangling.png"_s));
    ASSERT_TRUE(QFile::link(fifo, tmp + u"/to-fifo.png"_s));
    ASSERT_TRUE(QDir().mkpath(tmp + u"/folder.png"_s));

    std::vector<Launch> launches;
    for (const char *name : {"fifo.png", "to-file.png", "dangling.png", "to-fifo.png", "folder.png"})
        launches.push_back({{u"--snapshot-file"_s, tmp + u'/' + QString::fromLatin1(name)}});
    for (const ProgramRun &run : runAll(launches))
        expectFailure(run);

    EXPECT_EQ(readFile(victim), "keep me");
    EXPECT_FALSE(QFileInfo::exists(path(u"created.png")));
    for (const QString &special : {fifo, QString(tmp + u"/fifo.png"_s)}) {
        struct stat info {};
        ASSERT_EQ(::lstat(QFile::encodeName(special).constData(), &info), 0);
        EXPECT_TRUE(S_ISFIFO(info.st_mode)) << special.toStdString();
    }
    for (const char *name : {"to-file.png", "dangling.png", "to-fifo.png"})
        EXPECT_TRUE(QFileInfo(tmp + u'/' + QString::fromLatin1(name)).isSymLink()) << name;
    EXPECT_TRUE(QFileInfo(tmp + u"/folder.png"_s).isDir());
    // And no temporary file was left beside them.
    EXPECT_EQ(QDir(tmp).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot).size(), 5);
}

TEST_F(SnapshotOutput, AFileIsWrittenWholeAndReplacesWhatWasThere)
{
    const QString target = temporaryDirectory() + u"/shots/panel.png"_s;
    ASSERT_TRUE(QDir().mkpath(QFileInfo(target).path()));
    {
        QFile old(target);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("an older picture");
    }
    const std::vector<ProgramRun> runs = runWithinOneMinute({
        {u"--snapshot-state"_s, u"active"_s, u"--snapshot-file"_s, target},
        toStandardOutput({u"--snapshot-state"_s, u"active"_s}),
    });
    EXPECT_EQ(runs[0].exitCode, 0) << testing::PrintToString(runs[0]);
    EXPECT_EQ(runs[0].out, QByteArray());
    EXPECT_EQ(runs[0].err, successLine(target));
    QFile written(target);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    // The same picture as on standard output, and no temporary file beside it.
    EXPECT_EQ(written.readAll(), runs[1].out);
    EXPECT_EQ(QDir(QFileInfo(target).path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"panel.png"_s});
}

TEST_F(SnapshotOutput, PathsThatAreNotAbsolutePngFilesFailBeforeAnythingIsDrawn)
{
    const QString tmp = temporaryDirectory();
    const QStringList paths{
        u"shot.png"_s,
        u"./shot.png"_s,
        u"~/shot.png"_s,
        u""_s,
        tmp + u"/shot.PNG"_s,
        tmp + u"/shot.png.txt"_s,
        tmp + u"/shot"_s,
        tmp + u"/missing/shot.png"_s,
        u"--"_s,
    };
    std::vector<Launch> launches;
    for (const QString &path : paths)
        launches.push_back({{u"--snapshot-file"_s, path}, {}, false, tmp});
    for (const ProgramRun &run : runAll(launches))
        expectFailure(run);
    // Nothing was written anywhere, relative paths included.
    EXPECT_EQ(filesBelow(tmp), QStringList());
}

TEST_F(SnapshotOutput, AStandardOutputThatCannotTakeThePictureFails)
{
    std::vector<Launch> launches{
        {toStandardOutput({}), u"/dev/full"_s},
        {toStandardOutput({}), {}, true},
    };
    for (const ProgramRun &run : runAll(launches)) {
        EXPECT_FALSE(run.crashed) << testing::PrintToString(run);
        EXPECT_EQ(run.exitCode, 1) << testing::PrintToString(run);
        EXPECT_EQ(run.err, failureMessage) << testing::PrintToString(run);
    }
}

TEST_F(SnapshotOutput, ASnapshotLeavesNoSettingsAndNoAutostartEntry)
{
    runAll(std::vector<QStringList>{
        toStandardOutput({}),
        toStandardOutput({u"--snapshot-state"_s, u"off"_s}),
        toStandardOutput({u"--snapshot-state"_s, u"active"_s}),
    });
    EXPECT_EQ(filesBelow(configDirectory()), QStringList());
    EXPECT_FALSE(QFileInfo::exists(configDirectory() + u"/autostart"_s));
}

using SnapshotOptions = SnapshotProgram;

TEST_F(SnapshotOptions, OnlyTheFirstOccurrenceOfAnOptionCounts)
{
    const std::vector<ProgramRun> runs = runWithinOneMinute({
        toStandardOutput({u"--snapshot-state"_s, u"active"_s, u"--snapshot-state"_s, u"failure"_s}),
        toStandardOutput({u"--snapshot-state"_s, u"active"_s}),
        toStandardOutput({u"--snapshot-state"_s, u"failure"_s}),
    });
    expectPictureOnStandardOutput(runs[0]);
    EXPECT_EQ(runs[0].out, runs[1].out);
    EXPECT_NE(runs[0].out, runs[2].out);
}

TEST_F(SnapshotOptions, BothWindowsAreDrawnAtTheirOwnSizeAndThePreferencesWin)
{
    const std::vector<ProgramRun> runs = runWithinOneMinute({
        toStandardOutput({u"--snapshot-preferences"_s}),
        toStandardOutput({u"--snapshot-welcome"_s}),
        toStandardOutput({u"--snapshot-welcome"_s, u"--snapshot-preferences"_s}),
        // Windows never grow or shrink: a proposed height changes nothing.
        toStandardOutput({u"--snapshot-preferences"_s, u"--snapshot-proposal-height"_s, u"1000"_s}),
        toStandardOutput({u"--snapshot-welcome"_s, u"--snapshot-proposal-height"_s, u"100"_s}),
    });
    for (const ProgramRun &run : runs) {
        expectPictureOnStandardOutput(run);
        EXPECT_EQ(run.picture().width(), 560) << testing::PrintToString(run);
    }
    EXPECT_NE(runs[0].out, runs[1].out);
    EXPECT_EQ(runs[2].out, runs[0].out);
    EXPECT_EQ(runs[3].out, runs[0].out);
    EXPECT_EQ(runs[4].out, runs[1].out);
}

// The smallest height above zero still draws one line of the panel.
TEST_F(SnapshotOptions, ATinyPanelHeightStillDraws)
{
    const ProgramRun run = this->run(toStandardOutput({u"--snapshot-panel-height"_s, u"0.5"_s}));
    expectPictureOnStandardOutput(run);
    EXPECT_EQ(run.picture().size(), QSize(panelWidth, 1));
}

} // namespace
} // namespace pelorin::test
