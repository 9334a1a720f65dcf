#include "menu_view.h"

#include "app_brand.h"
#include "app_model.h"
#include "bordered_button.h"
#include "brand_palette.h"
#include "duration_grid.h"
#include "keyboard_use_tracker.h"
#include "locale_formats.h"
#include "notice_card.h"
#include "orbel_font.h"
#include "orbel_metrics.h"
#include "orbel_switch.h"
#include "panel_card.h"
#include "panel_footer.h"
#include "panel_footer_button.h"
#include "panel_header.h"
#include "pelorin_panel_viewport.h"
#include "pelorin_preferences.h"
#include "preferences_focus_ring.h"
#include "session_buttons_layout.h"
#include "session_readout_view.h"
#include "symbol_view.h"
#include "text_label.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include <utility>

namespace pelorin {

namespace {

orbel::BorderedButton *sessionButton(const QString &title, const QString &symbol, const QString &accessibleName,
                                     const orbel::OrbelEnvironment &environment, QWidget *parent)
{
    auto *button = new orbel::BorderedButton(title, environment, parent);
    button->setSymbol(symbol);
    button->setControlSize(orbel::BorderedButton::ControlSize::Large);
    button->setBorderShape(orbel::BorderedButton::BorderShape::Capsule);
    button->setTextRole(orbel::OrbelFont::Heading);
    button->setAccessibleName(accessibleName);
    // The buttons share the row equally; alone, "End" takes all of it.
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return button;
}

} // namespace

MenuView::MenuView(AppModel &model, const orbel::OrbelEnvironment &environment, QString locale,
                   std::optional<double> snapshotPanelHeight, Clock clock, QWidget *parent)
    : QWidget(parent), EnvironmentAware(environment), m_model(&model), m_locale(std::move(locale)),
      m_clock(clock ? std::move(clock) : Clock(&Date::now))
{
    const QPointer<AppModel> weakModel(&model);
    const QPointer<MenuView> self(this);

    orbel::OrbelPanel::Setup setup{
        .brand = appBrand(),
        .status = QString(),
        .dot = orbel::PanelStatus::Off,
        .isOn =
            orbel::Binding<bool>{
                [weakModel] { return weakModel && weakModel->preferences().armed(); },
                [weakModel](bool armed) {
                    if (weakModel)
                        weakModel->preferences().setArmed(armed);
                },
            },
        .privacy = tr("Your Mac, under your control"),
        .privacySymbol = QStringLiteral("checkmark.shield"),
        .showGuide =
            [self] {
                if (self && self->m_showGuide)
                    self->m_showGuide();
            },
        .showPreferences =
            [self] {
                if (self && self->m_showPreferences)
                    self->m_showPreferences();
            },
        .preferencesFocusChanged = {},
        .refreshLoginItemOnAppear = false,
        .isSwitchEnabled = true,
        .quit =
            [self] {
                if (self && self->m_quit)
                    self->m_quit();
            },
    };
    m_panel = new orbel::OrbelPanel(std::move(setup), buildBody(), environment);
    m_viewport = new PelorinPanelViewport(m_panel, environment, snapshotPanelHeight, this);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_viewport);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);

    // Focus rings show once a key has been pressed in the panel's window.
    m_keyboardUse = new orbel::KeyboardUseTracker(this);
    connect(m_keyboardUse, &orbel::KeyboardUseTracker::keyboardUsedChanged, this,
            [this] { orbel::propagateEnvironment(this, childEnvironment()); });
    addFocusRings();
    environmentChanged();

    Countdown &countdown = model.countdown();
    connect(&countdown, &Countdown::stateChanged, this, &MenuView::refresh);
    connect(&countdown, &Countdown::selectionChanged, this, &MenuView::refresh);
    connect(&model.preferences(), &PelorinPreferences::armedChanged, this, &MenuView::refresh);
    refresh();
}

MenuView::~MenuView() = default;

QWidget *MenuView::buildBody()
{
    const orbel::OrbelEnvironment &env = environment();
    const QPointer<AppModel> weakModel(m_model);

    auto *body = new QWidget;
    auto *stack = new QVBoxLayout(body);
    stack->setContentsMargins(0, 0, 0, 0);
    // The panel frame's own spacing between its parts.
    stack->setSpacing(orbel::OrbelMetrics::gapL);

    m_notice = new orbel::NoticeCard(QStringLiteral("exclamationmark.triangle.fill"), QString(), QString(), env, body);
    m_retry = m_notice->addAction(tr("Try again"));
    connect(m_retry, &QAbstractButton::clicked, this, [weakModel] {
        if (weakModel)
            weakModel->countdown().toggle();
    });
    m_notice->hide();
    stack->addWidget(m_notice);

    m_readout = new SessionReadoutView(*m_model, env, m_locale, body);
    if (m_clock)
        m_readout->setClock(m_clock);
    stack->addWidget(m_readout);

    m_grid = new DurationGrid(
        [weakModel](const SessionDuration &duration) {
            if (weakModel)
                weakModel->countdown().start(duration);
        },
        m_locale, env, m_clock, body);
    stack->addWidget(m_grid);

    m_actionRow = new QWidget(body);
    auto *actions = new SessionButtonsLayout(m_actionRow);
    m_extend = sessionButton(tr("+30 min"), QStringLiteral("plus"), tr("Add 30 minutes"), env, m_actionRow);
    m_end = sessionButton(tr("End"), QStringLiteral("stop.fill"), tr("End the session"), env, m_actionRow);
    actions->addWidget(m_extend);
    actions->addWidget(m_end);
    connect(m_extend, &QAbstractButton::clicked, this, [weakModel] {
        if (weakModel)
            weakModel->countdown().extend();
    });
    connect(m_end, &QAbstractButton::clicked, this, [weakModel] {
        if (weakModel)
            weakModel->countdown().stop();
    });
    m_actionRow->hide();
    stack->addWidget(m_actionRow);

    m_displayCard = new orbel::PanelCard(orbel::OrbelMetrics::gapS, env, body);
    m_displayRow = new PanelDisplayRow(
        orbel::Binding<bool>{
            [weakModel] { return weakModel && weakModel->countdown().selection().keepsDisplayAwake; },
            [weakModel](bool keepsDisplayAwake) {
                if (!weakModel)
                    return;
                Countdown &countdown = weakModel->countdown();
                countdown.setSelection({countdown.selection().duration, keepsDisplayAwake});
            },
        },
        env, m_displayCard);
    m_displayCard->addWidget(m_displayRow);
    stack->addWidget(m_displayCard);

    return body;
}

void MenuView::addFocusRings()
{
    // Every control the keyboard reaches shows where focus is. The rings
    // live above the scrolled content, so the panel's tight columns and
    // cards do not clip them.
    const orbel::OrbelEnvironment env = childEnvironment();
    const auto ring = [&env](QWidget *control, orbel::RingShape shape) {
        if (control)
            orbel::preferencesFocusRing(control, shape, env, orbel::RingLayer::AboveContent);
    };
    orbel::OrbelSwitch *master = m_panel->header()->masterSwitch();
    ring(master, orbel::RingShape::capsule(QSizeF(master->sizeHint())));
    ring(m_retry, orbel::RingShape::capsule());
    for (DurationTile *tile : m_grid->tiles())
        ring(tile, orbel::RingShape::roundedRect(DurationTile::cornerRadius + orbel::BrandFocusRing::outset));
    ring(m_extend, orbel::RingShape::capsule());
    ring(m_end, orbel::RingShape::capsule());
    orbel::OrbelSwitch *display = m_displayRow->displaySwitch();
    ring(display, orbel::RingShape::capsule(QSizeF(display->sizeHint())));
    const orbel::PanelFooter *footer = m_panel->footer();
    for (QWidget *button :
         std::initializer_list<QWidget *>{footer->preferencesButton(), footer->guideButton(), footer->quitButton()})
        ring(button, orbel::RingShape::circle());
}

bool MenuView::keyboardUsed() const
{
    return m_keyboardUse && m_keyboardUse->keyboardUsed();
}

void MenuView::environmentChanged()
{
    m_displayCard->setFont(orbel::orbelFont(orbel::OrbelFont::Detail, environment().textSize));
}

orbel::OrbelEnvironment MenuView::childEnvironment() const
{
    orbel::OrbelEnvironment inner = environment();
    inner.keyboardUsed = keyboardUsed();
    return inner;
}

void MenuView::setShowGuide(std::function<void()> showGuide)
{
    m_showGuide = std::move(showGuide);
}

void MenuView::setShowPreferences(std::function<void()> showPreferences)
{
    m_showPreferences = std::move(showPreferences);
}

void MenuView::setQuit(std::function<void()> quit)
{
    m_quit = std::move(quit);
}

QString MenuView::statusText(const SessionState &state, std::optional<Duration> remaining, bool armed, Date now,
                             QStringView locale)
{
    switch (state.kind()) {
    case SessionState::Kind::failed:
        if (state.failure() && state.failure()->retainsResources)
            return tr("The session needs attention");
        if (state.failure() && state.failure()->operation == EnergyFailure::Operation::lost)
            return tr("The session ended early");
        return tr("The session did not start");
    case SessionState::Kind::starting:
        return tr("Starting the session…");
    case SessionState::Kind::stopping:
        return tr("Ending the session…");
    case SessionState::Kind::active: {
        // The end is worked out from the time left each time, so it never
        // drifts from the session's own deadline.
        const std::optional<Date> end = remaining ? now.addingClamped(*remaining) : std::nullopt;
        if (!end || !state.session() || !state.session()->effectiveDuration)
            return tr("On until you turn it off");
        return tr("Awake until %1").arg(formatShortTime(locale, *end));
    }
    case SessionState::Kind::inactive:
        break;
    }
    return armed ? tr("Ready to start") : tr("Off: the Mac can sleep");
}

orbel::PanelStatus MenuView::dotStatus(const SessionState &state)
{
    switch (state.kind()) {
    case SessionState::Kind::active:
        return orbel::PanelStatus::Working;
    case SessionState::Kind::inactive:
        return orbel::PanelStatus::Off;
    case SessionState::Kind::starting:
    case SessionState::Kind::stopping:
    case SessionState::Kind::failed:
        break;
    }
    return orbel::PanelStatus::Attention;
}

void MenuView::refresh()
{
    if (!m_model)
        return;
    const Countdown &countdown = m_model->countdown();
    const SessionState &state = countdown.state();
    const std::optional<Session> &session = state.session();
    const bool busy = state.isTransitioning();
    const bool armed = m_model->preferences().armed();

    m_panel->setStatus(statusText(state, countdown.remaining(), armed, m_clock(), m_locale));
    m_panel->setDot(dotStatus(state));
    m_panel->setSwitchEnabled(!busy);
    m_panel->syncSwitch();

    const bool failed = state.kind() == SessionState::Kind::failed;
    if (failed) {
        const bool retains = state.failure() && state.failure()->retainsResources;
        const bool lost = !retains && state.failure() && state.failure()->operation == EnergyFailure::Operation::lost;
        m_notice->setTitle(retains ? tr("The session could not end")
                           : lost  ? tr("The session could not go on")
                                   : tr("The session could not start"));
        m_notice->setMessage(
            retains ? tr("The Mac may still be kept awake. Try ending the session again.")
            : lost  ? tr("The desktop stopped keeping the Mac awake, and Pelorin could not take over. Try again.")
                    : tr("Pelorin could not confirm that the Mac will stay awake. Try again."));
    }
    m_notice->setVisible(failed);
    // A control nobody sees cannot be pressed, not even by a screen reader.
    m_retry->setEnabled(failed && !busy);

    // The controls: the tiles before a session, its buttons while there is
    // one, and the display row under either; none while switched off with
    // no session.
    const bool controls = armed || session.has_value();
    const bool tiles = controls && !session;
    m_grid->setVisible(tiles);
    m_grid->setEnabled(tiles && !busy);
    m_actionRow->setVisible(controls && session.has_value());
    m_actionRow->setEnabled(state.kind() == SessionState::Kind::active);
    const bool extends = session && session->effectiveDuration.has_value();
    m_extend->setVisible(extends);
    m_extend->setEnabled(extends);
    m_displayCard->setVisible(controls);
    m_displayRow->showSessionChoice(session ? std::optional<bool>(session->selection.keepsDisplayAwake) : std::nullopt);
    m_displayRow->setSwitchEnabled(controls && !session && !busy);
    m_displayRow->syncSwitch();
}

void MenuView::refreshTimes()
{
    refresh();
    m_grid->refresh();
    m_readout->refresh();
}

void MenuView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // The status line's end time is read from the clock.
    refresh();
    if (m_reportsVisibility && m_model)
        m_model->setPanelVisible(true);
}

void MenuView::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (m_reportsVisibility && m_model)
        m_model->storePanelVisible(false);
}

} // namespace pelorin
