#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>

#include <QCoroTask>

#include <chrono>
#include <functional>
#include <optional>

namespace pelorin {

// A D-Bus call awaited on the event loop, for a limited time. (QCoro's own
// awaiter has no time limit of its own, hands a late answer to no one and
// resumes the caller inside the D-Bus signal that brought the answer.)
namespace DBusCall {

// Hears the answer that came after the caller stopped waiting: the reply or
// the error, or an empty message when the bus gave up waiting as well.
using LateAnswer = std::function<void(const QDBusMessage &)>;

// How much longer than the caller the bus waits for an answer, by default.
inline constexpr int busPatience = 10;

// Sends `message` and waits at most `limit` for its answer; absent without
// one in time, or once `context` is gone. The caller goes on at a later turn
// of the event loop (see Wake). The bus waits `busTimeout` (by default
// busPatience times `limit`): an answer that comes after `limit` but within
// that still reaches `late`, so a slow service is heard, while calls to one
// that hangs do not pile up for ever.
QCoro::Task<std::optional<QDBusMessage>> call(QDBusConnection bus, QDBusMessage message, QObject *context,
                                              std::chrono::milliseconds limit, LateAnswer late = {},
                                              std::optional<std::chrono::milliseconds> busTimeout = std::nullopt);

} // namespace DBusCall

} // namespace pelorin
