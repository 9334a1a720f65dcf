// Runs the real program in snapshot mode as a child process, in a private
// home with no display, no platform chosen for it and no reachable bus.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <vector>

namespace pelorin::test {

using namespace Qt::StringLiterals;

inline const QByteArray failureMessage = QByteArrayLiteral("Pelorin snapshot could not be written.\n");
inline const QByteArray pngSignature = QByteArrayLiteral("\x89PNG\r\n\x1a\n");

struct ProgramRun {
    QStringList arguments;
    int exitCode = -1;
    bool crashed = false;
    QByteArray out;
    QByteArray err;

    bool isPng() const { return out.startsWith(pngSignature); }
    QImage picture() const { return QImage::fromData(out, "PNG"); }
};

inline void PrintTo(const ProgramRun &run, std::ostream *os)
{
    *os << "pelorin " << run.arguments.join(u' ').toStdString() << " -> status " << run.exitCode
        << (run.crashed ? " (crashed)" : "") << ", " << run.out.size() << " bytes out, stderr \""
        << run.err.toStdString() << "\"";
}

// How a child is started: its arguments, and optionally where its standard
// output goes, a shell redirection to apply first, and its working directory.
struct Launch {
    QStringList arguments;
    QString standardOutputFile{};
    bool closeStandardOutput = false;
    QString workingDirectory{};
    // Set in the child's environment on top of the clean one.
    QStringList extraEnvironment{};
};

class SnapshotProgram : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.isValid());
        for (const char *dir : {".config", ".cache", ".local/share", ".local/state", "runtime", "tmp"})
            ASSERT_TRUE(QDir(m_home.path()).mkpath(QString::fromLatin1(dir)));
        QFile::setPermissions(path(u"runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QString path(QStringView relative) const { return m_home.path() + u'/' + relative; }
    // The child's temporary directory, where the picture goes by default.
    QString temporaryDirectory() const { return path(u"tmp"); }
    QString configDirectory() const { return path(u".config"); }

    // A clean environment: only what a desktop session would give, with the
    // buses pointing nowhere and QT_QPA_PLATFORM and DISPLAY left unset, so
    // the program has to choose the offscreen platform itself.
    QProcessEnvironment environment() const
    {
        QProcessEnvironment environment;
        const QProcessEnvironment parent = QProcessEnvironment::systemEnvironment();
        for (const char *passed : {"PATH", "ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"}) {
            const QString name = QString::fromLatin1(passed);
            if (parent.contains(name))
                environment.insert(name, parent.value(name));
        }
        environment.insert(u"HOME"_s, m_home.path());
        environment.insert(u"XDG_CONFIG_HOME"_s, path(u".config"));
        environment.insert(u"XDG_CACHE_HOME"_s, path(u".cache"));
        environment.insert(u"XDG_DATA_HOME"_s, path(u".local/share"));
        environment.insert(u"XDG_STATE_HOME"_s, path(u".local/state"));
        environment.insert(u"XDG_RUNTIME_DIR"_s, path(u"runtime"));
        environment.insert(u"TMPDIR"_s, temporaryDirectory());
        environment.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, u"unix:path="_s + path(u"no-session-bus"));
        environment.insert(u"DBUS_SYSTEM_BUS_ADDRESS"_s, u"unix:path="_s + path(u"no-system-bus"));
        environment.insert(u"LANG"_s, u"en_US.UTF-8"_s);
        environment.insert(u"TZ"_s, u"UTC"_s);
        return environment;
    }

    // Starts every launch at once (a few at a time) and waits for them all.
    std::vector<ProgramRun> runAll(const std::vector<Launch> &launches)
    {
        constexpr std::size_t batch = 6;
        std::vector<ProgramRun> runs(launches.size());
        for (std::size_t first = 0; first < launches.size(); first += batch) {
            std::vector<std::unique_ptr<QProcess>> children;
            const std::size_t last = std::min(launches.size(), first + batch);
            for (std::size_t i = first; i < last; ++i)
                children.push_back(start(launches[i]));
            for (std::size_t i = first; i < last; ++i) {
                QProcess &child = *children[i - first];
                EXPECT_TRUE(child.waitForFinished(120000)) << launches[i].arguments.join(u' ').toStdString();
                ProgramRun &run = runs[i];
                run.arguments = launches[i].arguments;
                run.crashed = child.exitStatus() != QProcess::NormalExit;
                run.exitCode = child.exitCode();
                run.out = child.readAllStandardOutput();
                run.err = child.readAllStandardError();
            }
        }
        return runs;
    }

    std::vector<ProgramRun> runAll(const std::vector<QStringList> &argumentLists)
    {
        std::vector<Launch> launches;
        for (const QStringList &arguments : argumentLists)
            launches.push_back({arguments});
        return runAll(launches);
    }

    ProgramRun run(const Launch &launch) { return runAll(std::vector<Launch>{launch}).front(); }
    ProgramRun run(const QStringList &arguments) { return run(Launch{arguments}); }

    // The panel shows end times to the minute, so two pictures taken across
    // a minute boundary may rightly differ: runs the lists again once when
    // the clock's minute moved on while they ran.
    std::vector<ProgramRun> runWithinOneMinute(const std::vector<QStringList> &argumentLists)
    {
        std::vector<ProgramRun> runs;
        for (int attempt = 0; attempt < 2; ++attempt) {
            const qint64 before = QDateTime::currentSecsSinceEpoch() / 60;
            runs = runAll(argumentLists);
            if (QDateTime::currentSecsSinceEpoch() / 60 == before)
                break;
        }
        return runs;
    }

    // Every file below `directory`, as paths relative to it.
    static QStringList filesBelow(const QString &directory)
    {
        QStringList files;
        QDirIterator it(directory, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
        while (it.hasNext())
            files.append(QDir(directory).relativeFilePath(it.next()));
        return files;
    }

private:
    std::unique_ptr<QProcess> start(const Launch &launch) const
    {
        auto child = std::make_unique<QProcess>();
        QProcessEnvironment childEnvironment = environment();
        for (const QString &variable : launch.extraEnvironment)
            childEnvironment.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
        child->setProcessEnvironment(childEnvironment);
        if (!launch.workingDirectory.isEmpty())
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

} // namespace pelorin::test
