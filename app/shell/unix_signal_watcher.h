#pragma once

#include <QList>
#include <QObject>

#include <initializer_list>

class QSocketNotifier;

namespace pelorin {

// Turns the given Unix signals into a Qt signal on the main thread (the
// handler only writes to a socket; all work happens in the event loop).
// Once caught, a signal stays caught for the life of the process; after the
// watcher is gone it is simply dropped.
class UnixSignalWatcher : public QObject {
    Q_OBJECT
public:
    explicit UnixSignalWatcher(std::initializer_list<int> signals, QObject *parent = nullptr);
    ~UnixSignalWatcher() override;

Q_SIGNALS:
    void received(int signal);

private:
    void onReadable();

    QSocketNotifier *m_notifier = nullptr;
    QList<int> m_signals;
};

} // namespace pelorin
