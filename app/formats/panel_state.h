#pragma once

#include "date.h"
#include "readout_board.h"
#include "session_facts.h"

#include <QString>

#include <optional>

namespace pelorin {

// What the tray panel shows at one moment: every text, dot and enabled state,
// worked out from the session and the master switch, whether the panel is on
// screen, the wall clock and the reader's locale. The panel's widgets only
// show it; a snapshot stages its session through it like any other.
struct PanelState {
    // The dot beside the status line.
    enum class Dot { off, working, attention };
    // What stands under the readout card.
    enum class Controls {
        // Switched off with no session: the card alone.
        none,
        // No session: the duration tiles, and the display switch for the
        // next session.
        tiles,
        // A session (starting, active, ending, or kept by a failure): its
        // buttons, and its display choice as "Yes" or "No".
        session,
    };
    struct Notice {
        QString title;
        QString message;
        bool operator==(const Notice &) const = default;
    };

    // The line under the product name, and its dot.
    QString status;
    Dot dot = Dot::off;
    // Whether the master switch can be flipped: not while a session starts
    // or ends.
    bool switchEnabled = true;
    // The failure notice with its "Try again"; only after a failure.
    std::optional<Notice> notice;
    Controls controls = Controls::tiles;
    // The session's buttons can be pressed only while it is active; "+30
    // min" is there only for a session with an end.
    bool sessionButtonsEnabled = false;
    bool extends = false;
    // The session's display choice; absent without a session.
    std::optional<bool> sessionKeepsDisplayAwake;
    // The readout card.
    ReadoutBoard readout;

    static PanelState of(const SessionFacts &facts, bool panelVisible, Date now, const QString &locale);
};

} // namespace pelorin
