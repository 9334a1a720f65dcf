// What the tray panel shows, state by state: one table over PanelState, as
// the state machine's, each row the whole panel written out as a user reads
// it. In US English, at 15:00 UTC.
#include "panel_state.h"

#include "panel_test_support.h"

using namespace pelorin;
using namespace Qt::StringLiterals;
using pelorin::fakes::secs;
using pelorin::paneltest::utc;

namespace {

const Date now = utc(2025, 3, 14, 15, 0);
const Session hour(testId(1), {SessionDuration::hour1(), true}, now);
const Session tenHours(testId(2), {SessionDuration::custom(secs(36000)), true}, now);
const Session noLimit(testId(3), {SessionDuration::untilStopped(), false}, now);
using Op = EnergyFailure::Operation;
const EnergyFailure startFailure(Op::createSystem, -1, false);
const EnergyFailure releaseFailure(Op::release, -1, true);
const EnergyFailure lostLock(Op::lost, -1, false);

// The panel in one line: the status line and its dot, the notice, the
// controls, then the readout card as drawn (caption, flaps, colons) and as
// spoken.
QString describe(const PanelState &shown)
{
    static const char16_t *dots[] = {u"off", u"working", u"attention"};
    QStringList parts{shown.status + u" ["_s + QString::fromUtf16(dots[int(shown.dot)]) +
                      (shown.switchEnabled ? u"]"_s : u", switch held]"_s)};
    if (shown.notice)
        parts << u"notice: "_s + shown.notice->title + u" / "_s + shown.notice->message;
    switch (shown.controls) {
    case PanelState::Controls::none:
        parts << u"no controls"_s;
        break;
    case PanelState::Controls::tiles:
        parts << u"tiles"_s;
        break;
    case PanelState::Controls::session:
        parts << u"session "_s + (shown.sessionButtonsEnabled ? u"live"_s : u"held"_s) +
                     (shown.extends ? u" +30"_s : u""_s) + u" display "_s +
                     (shown.sessionKeepsDisplayAwake.value_or(false) ? u"Yes"_s : u"No"_s);
        break;
    }
    const ReadoutBoard &card = shown.readout;
    QStringList flaps;
    for (const ReadoutBoard::Piece &piece : card.pieces())
        flaps << (piece.kind == ReadoutBoard::Piece::Kind::colon ? u":"_s : piece.text);
    parts << card.caption() + u": "_s + flaps.join(u'|') + (card.isDimmed() ? u" dim"_s : u""_s) +
                 (card.ticks ? u" ticking"_s : u""_s);
    parts << card.accessibilityValue();
    return parts.join(u" | "_s);
}

} // namespace

TEST(PanelState, EveryStateOfTheSessionAndTheSwitch)
{
    const struct {
        const char *name;
        SessionFacts facts;
        bool panelVisible;
        const char16_t *shown;
    } rows[] = {
        {"ready",
         {SessionState::inactive(), std::nullopt, true},
         true,
         u"Ready to start [off] | tiles | Session status: READY dim | "
         u"READY. One click on a duration and your Mac stays awake"},
        {"switched off",
         {SessionState::inactive(), std::nullopt, false},
         true,
         u"Off: the Mac can sleep [off] | no controls | Session status: OFF dim | "
         u"OFF. Turn on the switch to use Pelorin"},
        {"starting",
         {SessionState::starting(hour), secs(3600), true},
         true,
         u"Starting the session\u2026 [attention, switch held] | session held +30 display Yes | "
         u"Session status: STARTING | STARTING. Starting the session\u2026"},
        {"active, the panel open",
         {SessionState::active(hour), secs(1799), true},
         true,
         u"Awake until 3:29\u202FPM [working] | session live +30 display Yes | "
         u"Time remaining: 00|:|29|:|59 ticking | 29 minutes, 59 seconds. Ends at 3:29\u202FPM"},
        // Switched off during a session, the session's controls stay.
        {"active, switched off",
         {SessionState::active(hour), Duration::milliseconds(200), false},
         true,
         u"Awake until 3:00\u202FPM [working] | session live +30 display Yes | "
         u"Time remaining: 00|:|00|:|01 ticking | 1 second. Ends at 3:00\u202FPM"},
        // Before the panel is known to be on screen the card does not count.
        {"active, the panel not yet open",
         {SessionState::active(hour), secs(1799), true},
         false,
         u"Awake until 3:29\u202FPM [working] | session live +30 display Yes | "
         u"Session status: STARTING | STARTING. Starting the session\u2026"},
        {"active, ending tomorrow",
         {SessionState::active(tenHours), secs(36000), true},
         true,
         u"Awake until 1:00\u202FAM [working] | session live +30 display Yes | "
         u"Time remaining: 10|:|00|:|00 ticking | 10 hours. Ends Sat, Mar 15, 1:00\u202FAM"},
        // An end past the last date the program names is not named.
        {"active, ending past every date",
         {SessionState::active(tenHours), secs(100'000'000'000LL), true},
         true,
         u"On until you turn it off [working] | session live +30 display Yes | "
         u"Time remaining: 27777777|:|46|:|40 ticking | 27,777,777 hours, 46 minutes, 40 seconds"},
        {"active without end",
         {SessionState::active(noLimit), std::nullopt, true},
         true,
         u"On until you turn it off [working] | session live display No | Session status: NO|LIMIT | "
         u"NO LIMIT. The Mac stays awake until you turn it off"},
        {"stopping",
         {SessionState::stopping(hour), secs(1799), true},
         true,
         u"Ending the session\u2026 [attention, switch held] | session held +30 display Yes | "
         u"Session status: ENDING | ENDING. Ending the session\u2026"},
        {"a start that failed",
         {SessionState::failed(startFailure, std::nullopt), std::nullopt, true},
         true,
         u"The session did not start [attention] | notice: The session could not start / Pelorin could not "
         u"confirm that the Mac will stay awake. Try again. | tiles | Session status: FAILED | "
         u"FAILED. The session could not start"},
        {"a start that failed, switched off",
         {SessionState::failed(startFailure, std::nullopt), std::nullopt, false},
         true,
         u"The session did not start [attention] | notice: The session could not start / Pelorin could not "
         u"confirm that the Mac will stay awake. Try again. | no controls | Session status: FAILED | "
         u"FAILED. The session could not start"},
        {"an end that failed",
         {SessionState::failed(releaseFailure, hour), secs(1799), true},
         true,
         u"The session needs attention [attention] | notice: The session could not end / The Mac may still be "
         u"kept awake. Try ending the session again. | session held +30 display Yes | Session status: ATTENTION | "
         u"ATTENTION. The Mac may still be kept awake. Try ending the session again."},
        {"a lock lost for good",
         {SessionState::failed(lostLock, std::nullopt), std::nullopt, true},
         true,
         u"The session ended early [attention] | notice: The session could not go on / Pelorin could no longer "
         u"keep the Mac awake. Try again. | tiles | Session status: FAILED | FAILED. The session could not go on"},
    };
    for (const auto &row : rows) {
        const PanelState shown = PanelState::of(row.facts, row.panelVisible, now, u"en_US"_s);
        EXPECT_EQ(describe(shown).toStdString(), QString::fromUtf16(row.shown).toStdString()) << row.name;
    }
}
