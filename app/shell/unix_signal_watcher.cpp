#include "unix_signal_watcher.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace pelorin {

namespace {
int signalSocket[2] = {-1, -1};

void onSignal(int number)
{
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(number);
    [[maybe_unused]] const ssize_t written = ::write(signalSocket[0], &byte, 1);
    errno = saved;
}
} // namespace

UnixSignalWatcher::UnixSignalWatcher(std::initializer_list<int> signals, QObject *parent) : QObject(parent)
{
    if (signalSocket[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalSocket) != 0)
        return;
    m_notifier = new QSocketNotifier(signalSocket[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &UnixSignalWatcher::onReadable);
    for (const int number : signals) {
        m_signals.append(number);
        struct sigaction action {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(number, &action, nullptr);
    }
}

// The handlers stay in place after the watcher has gone: the program is on
// its way out then, and a signal that still arrives (one of a burst) must
// not kill it with its default action before it has exited cleanly.
UnixSignalWatcher::~UnixSignalWatcher() = default;

void UnixSignalWatcher::onReadable()
{
    unsigned char byte = 0;
    while (::read(signalSocket[1], &byte, 1) == 1)
        Q_EMIT received(byte);
}

} // namespace pelorin
