#pragma once

#include <QCoreApplication>

namespace pelorin::test {

// Lets queued turns of the event loop pass: coroutine steps, resumptions
// after a cancellation, zero-span timers, layout passes, deferred deletions.
inline void settle()
{
    for (int i = 0; i < 8; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

} // namespace pelorin::test
