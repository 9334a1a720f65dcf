#include "screen_sheets.h"

#include "gallery_folder.h"

#include <QList>
#include <QProcess>
#include <QStringList>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <memory>

namespace pelorin::gallery {

namespace {

struct Shot {
    QString name;
    QStringList arguments;
};

QList<Shot> everyShot()
{
    QList<Shot> shots;
    const auto add = [&](const QString &screen, const QStringList &arguments) {
        const QString name = QStringLiteral("screen-") + screen;
        for (const char *scheme : {"light", "dark"}) {
            shots.append({name + u'-' + QLatin1String(scheme),
                          arguments + QStringList{QStringLiteral("--snapshot-appearance"), QLatin1String(scheme)}});
            shots.append({name + u'-' + QLatin1String(scheme) + QStringLiteral("-largest-text"),
                          arguments + QStringList{QStringLiteral("--snapshot-appearance"), QLatin1String(scheme),
                                                  QStringLiteral("--snapshot-size"), QStringLiteral("maximum")}});
        }
    };
    const QStringList english{QStringLiteral("--snapshot-language"), QStringLiteral("en_US")};

    add(QStringLiteral("panel-ready"), english);
    for (const char *state : {"off", "active", "failure", "retained-failure", "starting", "stopping"})
        add(QStringLiteral("panel-") + QLatin1String(state),
            english + QStringList{QStringLiteral("--snapshot-state"), QLatin1String(state)});
    add(QStringLiteral("panel-no-limit"),
        english + QStringList{QStringLiteral("--snapshot-state"), QStringLiteral("active"),
                              QStringLiteral("--snapshot-duration"), QStringLiteral("unlimited")});
    add(QStringLiteral("panel-long-hours"),
        english + QStringList{QStringLiteral("--snapshot-state"), QStringLiteral("active"),
                              QStringLiteral("--snapshot-duration"), QStringLiteral("long-hours")});
    add(QStringLiteral("panel-scrolling"),
        english + QStringList{QStringLiteral("--snapshot-state"), QStringLiteral("failure"),
                              QStringLiteral("--snapshot-panel-height"), QStringLiteral("360")});
    add(QStringLiteral("panel-german"), QStringList{QStringLiteral("--snapshot-language"), QStringLiteral("de_DE"),
                                                    QStringLiteral("--snapshot-state"), QStringLiteral("active")});
    add(QStringLiteral("preferences"), english + QStringList{QStringLiteral("--snapshot-preferences")});
    add(QStringLiteral("preferences-german"),
        QStringList{QStringLiteral("--snapshot-language"), QStringLiteral("de_DE"),
                    QStringLiteral("--snapshot-preferences")});
    add(QStringLiteral("welcome"), english + QStringList{QStringLiteral("--snapshot-welcome")});
    return shots;
}

} // namespace

void drawScreens(GalleryFolder &folder, const QString &program)
{
    // Each picture is a run of its own; a few run side by side.
    const int lanes = std::clamp(QThread::idealThreadCount() / 2, 1, 4);
    std::deque<Shot> waiting;
    for (Shot &shot : everyShot())
        waiting.push_back(std::move(shot));
    std::deque<std::pair<Shot, std::unique_ptr<QProcess>>> running;

    const auto finishOldest = [&] {
        auto &[shot, process] = running.front();
        const bool done = process->waitForFinished(60000) && process->exitStatus() == QProcess::NormalExit &&
                          process->exitCode() == 0;
        if (!done) {
            process->kill();
            process->waitForFinished();
            std::fputs(process->readAllStandardError().constData(), stderr);
        }
        folder.record(done, shot.name);
        running.pop_front();
    };

    while (!waiting.empty() || !running.empty()) {
        if (waiting.empty() || int(running.size()) >= lanes) {
            finishOldest();
            continue;
        }
        Shot shot = std::move(waiting.front());
        waiting.pop_front();
        auto process = std::make_unique<QProcess>();
        // The program's messages are kept, and shown only when its picture fails.
        process->setProcessChannelMode(QProcess::SeparateChannels);
        process->start(program,
                       shot.arguments + QStringList{QStringLiteral("--snapshot-file"), folder.pathFor(shot.name)});
        if (!process->waitForStarted()) {
            folder.record(false, shot.name);
            continue;
        }
        running.emplace_back(std::move(shot), std::move(process));
    }
}

} // namespace pelorin::gallery
