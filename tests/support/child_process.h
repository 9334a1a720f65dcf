#pragma once

#include <QByteArray>
#include <QProcess>

#include <csignal>
#include <memory>

namespace pelorin::test {

// A child process that gets `deathSignal` when the test process ends, even
// when it crashes, so nothing a test starts outlives it.
std::unique_ptr<QProcess> childProcess(int deathSignal = SIGKILL);
// The first line the process prints, or an empty string when it prints none
// before it ends or `timeoutMs` passes.
QByteArray firstLine(QProcess &process, int timeoutMs);
// Kills the process, waits for it and drops it.
void stopChild(std::unique_ptr<QProcess> &process, int timeoutMs);

} // namespace pelorin::test
