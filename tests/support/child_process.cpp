#include "child_process.h"

#include <QDeadlineTimer>

#include <sys/prctl.h>

namespace pelorin::test {

std::unique_ptr<QProcess> childProcess(int deathSignal)
{
    auto process = std::make_unique<QProcess>();
    process->setChildProcessModifier([deathSignal] { ::prctl(PR_SET_PDEATHSIG, deathSignal); });
    process->setReadChannel(QProcess::StandardOutput);
    return process;
}

QByteArray firstLine(QProcess &process, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!process.canReadLine()) {
        if (process.state() == QProcess::NotRunning || deadline.hasExpired())
            return {};
        process.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    }
    return process.readLine().trimmed();
}

void stopChild(std::unique_ptr<QProcess> &process, int timeoutMs)
{
    if (!process)
        return;
    process->kill();
    process->waitForFinished(timeoutMs);
    process.reset();
}

} // namespace pelorin::test
