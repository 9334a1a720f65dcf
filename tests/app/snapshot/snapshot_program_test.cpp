// The snapshot mode as a user meets it: the real program, started with
// "--snapshot-" options as a child process in a private home with no
// display, no platform chosen for it and no reachable bus.
#include "test_files.h"

#include <QDirIterator>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <vector>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace pelorin::test {
namespace {

const QByteArray failureMessage = QByteArrayLiteral("Pelorin snapshot could not be written.\n");

struct ProgramRun {
    QStringList arguments;
    int exitCode = -1;
    bool crashed = false;
    QByteArray out;
    QByteArray err;

    QImage picture() const { return QImage::fromData(out, "PNG"); }
};

void PrintTo(const ProgramRun &run, std::ostream *os)
{
    *os << "pelorin " << run.arguments.join(u' ').toStdString() << " -> status " << run.exitCode
        << (run.crashed ? " (crashed)" : "") << ", " << run.out.size() << " bytes out, stderr \""
        << run.err.toStdString() << "\"";
}

// How a child is started: its arguments, and optionally where its standard
// output goes (or that it is closed), its working directory and variables
// set on top of the clean environment.
struct Launch {
    QStringList arguments;
    QString standardOutputFile{};
    bool closeStandardOutput = false;
    QString workingDirectory{};
    QStringList extraEnvironment{};
};

QStringList toStandardOutput(QStringList arguments = {})
{
    return arguments << u"--snapshot-file"_s << u"-"_s;
}

// A run that ended normally with status 0 and a picture on standard output
// and nothing on standard error.
void expectPicture(const ProgramRun &run)
{
    EXPECT_TRUE(!run.crashed && run.exitCode == 0 && run.err.isEmpty() && !run.picture().isNull())
        << testing::PrintToString(run);
}

// A run that ended normally with status 1, the failure message and no output.
void expectFailure(const ProgramRun &run)
{
    EXPECT_TRUE(!run.crashed && run.exitCode == 1 && run.err == failureMessage && run.out.isEmpty())
        << testing::PrintToString(run);
}

// Every file below `directory`, as paths relative to it.
QStringList filesBelow(const QString &directory)
{
    QStringList files;
    QDirIterator it(directory, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(QDir(directory).relativeFilePath(it.next()));
    return files;
}

class SnapshotProgram : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.isValid());
        for (const char *dir : {"runtime", "tmp"})
            ASSERT_TRUE(QDir(m_home.path()).mkpath(QString::fromLatin1(dir)));
        QFile::setPermissions(path(u"runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QString path(QStringView relative) const { return m_home.path() + u'/' + relative; }
    // The child's temporary directory, where the picture goes by default.
    QString temporaryDirectory() const { return path(u"tmp"); }

    // Starts every launch at once and waits for them all.
    std::vector<ProgramRun> runAll(const std::vector<Launch> &launches)
    {
        std::vector<std::unique_ptr<QProcess>> children;
        for (const Launch &launch : launches)
            children.push_back(start(launch));
        std::vector<ProgramRun> runs;
        for (std::size_t i = 0; i < launches.size(); ++i) {
            QProcess &child = *children[i];
            EXPECT_TRUE(child.waitForFinished(120000)) << launches[i].arguments.join(u' ').toStdString();
            runs.push_back({launches[i].arguments, child.exitCode(), child.exitStatus() != QProcess::NormalExit,
                            child.readAllStandardOutput(), child.readAllStandardError()});
        }
        return runs;
    }

private:
    // The child gets only what a desktop session would give (the XDG folders
    // default to the private home), with the buses pointing nowhere and
    // QT_QPA_PLATFORM and DISPLAY left unset, so the program has to choose
    // the offscreen platform itself; then the launch's own variables.
    std::unique_ptr<QProcess> start(const Launch &launch) const
    {
        QProcessEnvironment environment;
        const QProcessEnvironment parent = QProcessEnvironment::systemEnvironment();
        for (const QString &passed : {u"PATH"_s, u"ASAN_OPTIONS"_s, u"LSAN_OPTIONS"_s, u"UBSAN_OPTIONS"_s}) {
            if (parent.contains(passed))
                environment.insert(passed, parent.value(passed));
        }
        environment.insert(u"HOME"_s, m_home.path());
        environment.insert(u"XDG_RUNTIME_DIR"_s, path(u"runtime"));
        environment.insert(u"TMPDIR"_s, temporaryDirectory());
        environment.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, u"unix:path="_s + path(u"no-session-bus"));
        environment.insert(u"DBUS_SYSTEM_BUS_ADDRESS"_s, u"unix:path="_s + path(u"no-system-bus"));
        environment.insert(u"LANG"_s, u"en_US.UTF-8"_s);
        environment.insert(u"TZ"_s, u"UTC"_s);
        for (const QString &variable : launch.extraEnvironment)
            environment.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
        auto child = std::make_unique<QProcess>();
        child->setProcessEnvironment(environment);
        child->setWorkingDirectory(launch.workingDirectory);
        if (!launch.standardOutputFile.isEmpty())
            child->setStandardOutputFile(launch.standardOutputFile);
        if (launch.closeStandardOutput) {
            // The shell closes descriptor 1 before it becomes the program.
            child->start(u"/bin/sh"_s,
                         QStringList{u"-c"_s, u"exec \"$0\" \"$@\" >&-"_s, QString::fromUtf8(PELORIN_PROGRAM)} +
                             launch.arguments);
        } else {
            child->start(QString::fromUtf8(PELORIN_PROGRAM), launch.arguments);
        }
        EXPECT_TRUE(child->waitForStarted(30000));
        return child;
    }

    QTemporaryDir m_home;
};

using SnapshotOutput = SnapshotProgram;

// Standard output carries the picture and nothing else; no display is ever
// used, whatever the environment names; the staged states differ; a file is
// written whole in place of what was there; and no other picture, settings
// or autostart entry is left behind.
TEST_F(SnapshotOutput, APictureGoesWholeToStandardOutputOrAFileAndNothingElseIsLeft)
{
    Launch onADesktop{toStandardOutput()};
    onADesktop.extraEnvironment = {u"QT_QPA_PLATFORM=xcb"_s, u"DISPLAY=:97"_s, u"WAYLAND_DISPLAY=wayland-97"_s};
    const QString target = path(u"shots/panel.png");
    ASSERT_TRUE(writeFile(target, "an older picture"));
    const std::vector<ProgramRun> runs = runAll({
        {toStandardOutput()},
        onADesktop,
        {toStandardOutput({u"--snapshot-state"_s, u"off"_s})},
        {toStandardOutput({u"--snapshot-state"_s, u"active"_s})},
        // The smallest height above zero still draws one line of the panel.
        {toStandardOutput({u"--snapshot-panel-height"_s, u"0.5"_s})},
        {{u"--snapshot-state"_s, u"off"_s, u"--snapshot-file"_s, target}},
    });
    for (std::size_t i = 0; i + 1 < runs.size(); ++i)
        expectPicture(runs[i]);
    EXPECT_EQ(runs[0].picture().devicePixelRatio(), 1.0);
    EXPECT_EQ(runs[1].picture().size(), runs[0].picture().size());
    EXPECT_NE(runs[2].out, runs[0].out) << "\"off\" draws the panel switched off";
    EXPECT_EQ(runs[4].picture().size(), QSize(runs[0].picture().width(), 1));

    // The panel switched off shows no clock time, so the file holds the same
    // picture as standard output did, and no temporary file is beside it.
    const ProgramRun &toFile = runs.back();
    EXPECT_TRUE(toFile.exitCode == 0 && toFile.out.isEmpty()) << testing::PrintToString(toFile);
    EXPECT_EQ(toFile.err, "Pelorin offscreen snapshot: " + target.toUtf8() + '\n');
    EXPECT_EQ(readFile(target), runs[2].out);
    EXPECT_EQ(QDir(path(u"shots")).entryList(QDir::Files | QDir::Hidden), QStringList{u"panel.png"_s});

    EXPECT_EQ(filesBelow(temporaryDirectory()), QStringList());
    EXPECT_EQ(filesBelow(path(u".config")), QStringList());
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
    // And no temporary file was left beside them.
    EXPECT_EQ(QDir(tmp).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot).size(), 5);
}

// Paths that are not absolute PNG files, and a standard output that cannot
// take the picture, fail before anything is written anywhere.
TEST_F(SnapshotOutput, AnOutputThatCannotTakeThePictureFails)
{
    const QString tmp = temporaryDirectory();
    std::vector<Launch> launches{
        {toStandardOutput(), u"/dev/full"_s},
        {toStandardOutput(), {}, true},
    };
    for (const QString &path :
         QStringList{u"shot.png"_s, u"./shot.png"_s, u"~/shot.png"_s, u""_s, tmp + u"/shot.PNG"_s,
                     tmp + u"/shot.png.txt"_s, tmp + u"/shot"_s, tmp + u"/missing/shot.png"_s, u"--"_s})
        launches.push_back({{u"--snapshot-file"_s, path}, {}, false, tmp});
    for (const ProgramRun &run : runAll(launches))
        expectFailure(run);
    EXPECT_EQ(filesBelow(tmp), QStringList());
}

using SnapshotOptions = SnapshotProgram;

// Only the first occurrence of an option counts; both windows are drawn,
// the preferences win over the welcome, and a proposed height changes
// neither, as windows never grow or shrink. None of these pictures shows a
// clock time, so they compare equal across runs.
TEST_F(SnapshotOptions, TheFirstOccurrenceAndThePreferencesWin)
{
    const std::vector<ProgramRun> runs = runAll({
        {toStandardOutput({u"--snapshot-state"_s, u"off"_s, u"--snapshot-state"_s, u"active"_s})},
        {toStandardOutput({u"--snapshot-state"_s, u"off"_s})},
        {toStandardOutput({u"--snapshot-state"_s, u"active"_s})},
        {toStandardOutput({u"--snapshot-preferences"_s})},
        {toStandardOutput({u"--snapshot-welcome"_s})},
        {toStandardOutput({u"--snapshot-welcome"_s, u"--snapshot-preferences"_s})},
        {toStandardOutput({u"--snapshot-preferences"_s, u"--snapshot-proposal-height"_s, u"1000"_s})},
        {toStandardOutput({u"--snapshot-welcome"_s, u"--snapshot-proposal-height"_s, u"100"_s})},
    });
    for (const ProgramRun &run : runs)
        expectPicture(run);
    EXPECT_EQ(runs[0].out, runs[1].out);
    EXPECT_NE(runs[0].out, runs[2].out);
    EXPECT_NE(runs[3].out, runs[4].out);
    EXPECT_EQ(runs[5].out, runs[3].out);
    EXPECT_EQ(runs[6].out, runs[3].out);
    EXPECT_EQ(runs[7].out, runs[4].out);
}

} // namespace
} // namespace pelorin::test
