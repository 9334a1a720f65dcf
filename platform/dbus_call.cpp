#include "dbus_call.h"

#include "wake.h"

#include <QDBusPendingCallWatcher>
#include <QDeadlineTimer>

#include <algorithm>
#include <limits>
#include <memory>

namespace pelorin::DBusCall {

QCoro::Task<std::optional<QDBusMessage>> call(QDBusConnection bus, QDBusMessage message, QObject *context,
                                              std::chrono::milliseconds limit, LateAnswer late,
                                              std::optional<std::chrono::milliseconds> busTimeout)
{
    const std::chrono::milliseconds patience = busTimeout.value_or(limit * busPatience);
    const int busLimit = static_cast<int>(
        std::clamp<std::chrono::milliseconds::rep>(patience.count(), 1, std::numeric_limits<int>::max()));
    Wake answered(context, limit);
    auto answer = std::make_shared<std::optional<QDBusMessage>>();
    // Runs out before the bus's own timer ends the call, which (a coarse Qt
    // timer) may end it up to 5 % early.
    const QDeadlineTimer busGivesUp(patience - patience / 10);
    // The watcher outlives the wait, to hand a late answer on; it goes with
    // its answer, or with the context.
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(message, busLimit), context);
    QObject::connect(
        watcher, &QDBusPendingCallWatcher::finished, watcher,
        [done = answered.trigger(), answer, late = std::move(late), busGivesUp](QDBusPendingCallWatcher *finished) {
            finished->deleteLater();
            QDBusMessage reply = finished->reply();
            // NoReply also means that the service left the bus without answering.
            const bool unanswered = reply.type() == QDBusMessage::ErrorMessage &&
                                    reply.errorName() == QLatin1StringView("org.freedesktop.DBus.Error.NoReply") &&
                                    busGivesUp.hasExpired();
            if (done.fire()) {
                if (!unanswered)
                    *answer = std::move(reply);
            } else if (late) {
                late(unanswered ? QDBusMessage() : reply);
            }
        });
    if (co_await answered != Wake::Cause::fired)
        co_return std::nullopt;
    co_return std::move(*answer);
}

} // namespace pelorin::DBusCall
