#include "readout_board.h"

#include "locale_formats.h"

namespace pelorin {

ReadoutBoard ReadoutBoard::of(const SessionFacts &facts, bool panelVisible, Date now, const QString &locale)
{
    const SessionState &state = facts.state;
    ReadoutBoard board;
    board.locale = locale;
    board.now = now;
    board.ticks = state.kind() == SessionState::Kind::active && state.session() && state.session()->effectiveDuration &&
                  panelVisible;
    // The time left shows only on a card that counts it down.
    const std::optional<Duration> remaining = board.ticks ? facts.remaining : std::nullopt;
    board.readout = SessionReadout(state, facts.armed, remaining);
    if (remaining)
        board.end = now.addingClamped(*remaining);
    return board;
}

bool ReadoutBoard::isDimmed() const
{
    const auto kind = readout.kind();
    return kind == SessionReadout::Kind::off || kind == SessionReadout::Kind::ready;
}

bool ReadoutBoard::isCountdown() const
{
    return readout.kind() == SessionReadout::Kind::countdown;
}

QString ReadoutBoard::word() const
{
    using Kind = SessionReadout::Kind;
    switch (readout.kind()) {
    case Kind::countdown:
        return QString::fromStdString(readout.time().text());
    case Kind::off:
        return tr("OFF");
    case Kind::ready:
        return tr("READY");
    case Kind::starting:
        return tr("STARTING");
    case Kind::stopping:
        return tr("ENDING");
    case Kind::attention:
        return tr("ATTENTION");
    case Kind::failed:
    case Kind::lost:
        return tr("FAILED");
    case Kind::unlimited:
        return tr("NO LIMIT");
    }
    return {};
}

QList<ReadoutBoard::Piece> ReadoutBoard::pieces() const
{
    QList<Piece> result;
    if (readout.kind() == SessionReadout::Kind::countdown) {
        const auto fields = readout.time().fields();
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (i > 0)
                result.append(Piece::colon());
            result.append(Piece::flap(QString::fromStdString(fields[i])));
        }
        return result;
    }
    // One flap per word; a translation may have more words than the English.
    const QStringList parts = word().split(u' ', Qt::SkipEmptyParts);
    for (const QString &part : parts)
        result.append(Piece::flap(part));
    return result;
}

QString ReadoutBoard::caption() const
{
    return readout.kind() == SessionReadout::Kind::countdown ? tr("Time remaining") : tr("Session status");
}

std::optional<QString> ReadoutBoard::statusLine() const
{
    using Kind = SessionReadout::Kind;
    switch (readout.kind()) {
    case Kind::countdown: {
        if (!end)
            return std::nullopt;
        if (isSameCalendarDay(locale, *end, now)) {
            const QString time = formatShortTime(locale, *end);
            if (time.isEmpty())
                return std::nullopt;
            return tr("Ends at %1", "the end of a session later today").arg(time);
        }
        const QString date = formatEndDate(locale, *end, now);
        if (date.isEmpty())
            return std::nullopt;
        return tr("Ends %1", "the end of a session on another day: weekday, date and time").arg(date);
    }
    case Kind::off:
        return tr("Turn on the switch to use Pelorin");
    case Kind::ready:
        return tr("One click on a duration and your Mac stays awake");
    case Kind::starting:
        return tr("Starting the session…");
    case Kind::stopping:
        return tr("Ending the session…");
    case Kind::attention:
        return tr("The Mac may still be kept awake. Try ending the session again.");
    case Kind::failed:
        return tr("The session could not start");
    case Kind::lost:
        return tr("The session could not go on");
    case Kind::unlimited:
        return tr("The Mac stays awake until you turn it off");
    }
    return std::nullopt;
}

QString ReadoutBoard::accessibilityValue() const
{
    const QString readoutText = readout.kind() == SessionReadout::Kind::countdown
                                    ? formatSpokenDuration(locale, readout.time().duration())
                                    : word();
    const std::optional<QString> status = statusLine();
    if (!status)
        return readoutText;
    return tr("%1. %2", "what a screen reader says for the readout: the time left or state, then the status line")
        .arg(readoutText, *status);
}

} // namespace pelorin
