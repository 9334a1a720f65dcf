#pragma once

#include "date.h"
#include "session_facts.h"
#include "session_readout.h"

#include <QCoreApplication>
#include <QList>
#include <QString>

#include <optional>

namespace pelorin {

// Everything the readout card shows at one moment, worked out from the
// session, the clock and the reader's locale: the caption, the pieces of the
// split-flap board, the status line under it and what a screen reader says
// for the whole card. The card only draws it.
struct ReadoutBoard {
    Q_DECLARE_TR_FUNCTIONS(ReadoutBoard)

public:
    // One piece of the board: a flap with its text, or the colon between two
    // count-down flaps.
    struct Piece {
        enum class Kind { flap, colon };
        Kind kind = Kind::flap;
        QString text;

        static Piece flap(const QString &text) { return {Kind::flap, text}; }
        static Piece colon() { return {Kind::colon, {}}; }
        bool operator==(const Piece &) const = default;
    };

    // ICU locale id for dates and spoken spans; empty means the environment's.
    QString locale;
    SessionReadout readout = SessionReadout::Kind::ready;
    // The wall-clock moment the card is drawn for.
    Date now;
    // When a timed session ends; absent without a time left, or past the
    // latest date the program names.
    std::optional<Date> end;
    // Whether the card is drawn again every second: only while a timed
    // session runs and the panel is on screen.
    bool ticks = false;

    // The card for `facts` at `now`. It counts the time left only while it
    // ticks; with the panel not (yet) known to be on screen, an active timed
    // session reads as starting.
    static ReadoutBoard of(const SessionFacts &facts, bool panelVisible, Date now, const QString &locale);

    // The board's characters are the dimmer ink while nothing runs ("OFF",
    // "READY").
    bool isDimmed() const;
    // A count-down: a flap whose text changes flips (unless the reader asked
    // for less motion).
    bool isCountdown() const;

    // The count-down as "01:05:09", or the state's word in capitals.
    QString word() const;
    // Flap, colon, flap, colon, flap for a count-down; one flap per word of
    // the state's word otherwise ("NO LIMIT" is two).
    QList<Piece> pieces() const;
    QString caption() const;
    // The end time of a timed session, or the state's sentence; absent for a
    // count-down whose end cannot be named.
    std::optional<QString> statusLine() const;
    // The readout in words ("1 hour, 5 minutes, 3 seconds" or the state's
    // word), then ". " and the status line when there is one.
    QString accessibilityValue() const;
};

} // namespace pelorin
