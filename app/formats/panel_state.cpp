#include "panel_state.h"

#include "locale_formats.h"

namespace pelorin {

namespace {

// The panel's texts are the panel's own to translate.
struct PanelTexts {
    Q_DECLARE_TR_FUNCTIONS(pelorin::MenuView)
};

QString statusText(const SessionFacts &facts, Date now, const QString &locale)
{
    const SessionState &state = facts.state;
    const std::optional<EnergyFailure> &failure = state.failure();
    switch (state.kind()) {
    case SessionState::Kind::failed:
        if (failure && failure->retainsResources)
            return PanelTexts::tr("The session needs attention");
        if (failure && failure->operation == EnergyFailure::Operation::lost)
            return PanelTexts::tr("The session ended early");
        return PanelTexts::tr("The session did not start");
    case SessionState::Kind::starting:
        return PanelTexts::tr("Starting the session…");
    case SessionState::Kind::stopping:
        return PanelTexts::tr("Ending the session…");
    case SessionState::Kind::active: {
        // The end is worked out from the time left each time, so it never
        // drifts from the session's own deadline.
        const std::optional<Date> end = facts.remaining ? now.addingClamped(*facts.remaining) : std::nullopt;
        if (!end || !state.session() || !state.session()->effectiveDuration)
            return PanelTexts::tr("On until you turn it off");
        return PanelTexts::tr("Awake until %1").arg(formatShortTime(locale, *end));
    }
    case SessionState::Kind::inactive:
        break;
    }
    return facts.armed ? PanelTexts::tr("Ready to start") : PanelTexts::tr("Off: the Mac can sleep");
}

PanelState::Dot dotOf(SessionState::Kind kind)
{
    switch (kind) {
    case SessionState::Kind::active:
        return PanelState::Dot::working;
    case SessionState::Kind::inactive:
        return PanelState::Dot::off;
    case SessionState::Kind::starting:
    case SessionState::Kind::stopping:
    case SessionState::Kind::failed:
        break;
    }
    return PanelState::Dot::attention;
}

PanelState::Notice noticeOf(const EnergyFailure &failure)
{
    if (failure.retainsResources)
        return {PanelTexts::tr("The session could not end"),
                PanelTexts::tr("The Mac may still be kept awake. Try ending the session again.")};
    if (failure.operation == EnergyFailure::Operation::lost)
        return {PanelTexts::tr("The session could not go on"),
                PanelTexts::tr("Pelorin could no longer keep the Mac awake. Try again.")};
    return {PanelTexts::tr("The session could not start"),
            PanelTexts::tr("Pelorin could not confirm that the Mac will stay awake. Try again.")};
}

} // namespace

PanelState PanelState::of(const SessionFacts &facts, bool panelVisible, Date now, const QString &locale)
{
    const SessionState &state = facts.state;
    const std::optional<Session> &session = state.session();

    PanelState shown;
    shown.status = statusText(facts, now, locale);
    shown.dot = dotOf(state.kind());
    shown.switchEnabled = !state.isTransitioning();
    if (state.kind() == SessionState::Kind::failed && state.failure())
        shown.notice = noticeOf(*state.failure());
    shown.controls = session ? Controls::session : facts.armed ? Controls::tiles : Controls::none;
    shown.sessionButtonsEnabled = state.kind() == SessionState::Kind::active;
    shown.extends = session && session->effectiveDuration.has_value();
    if (session)
        shown.sessionKeepsDisplayAwake = session->selection.keepsDisplayAwake;
    shown.readout = ReadoutBoard::of(facts, panelVisible, now, locale);
    return shown;
}

} // namespace pelorin
