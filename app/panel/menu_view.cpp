#include "menu_view.h"

#include "app_brand.h"
#include "app_model.h"
#include "bordered_button.h"
#include "brand_palette.h"
#include "duration_grid.h"
#include "keyboard_use_tracker.h"
#include "notice_card.h"
#include "orbel_font.h"
#include "orbel_metrics.h"
#include "orbel_switch.h"
#include "panel_card.h"
#include "panel_footer.h"
#include "panel_footer_button.h"
#include "panel_header.h"
#include "panel_state.h"
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
                [self] { return self && self->facts().armed; },
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
    m_readout->setFacts([this] { return facts(); });
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

void MenuView::stage(std::optional<SessionFacts> staged)
{
    m_staged = std::move(staged);
    m_readout->refresh();
    refresh();
}

SessionFacts MenuView::facts() const
{
    if (m_staged)
        return *m_staged;
    // With the model gone, the switch reads off.
    return m_model ? SessionReadoutView::liveFacts(*m_model)
                   : SessionFacts{SessionState::inactive(), std::nullopt, false};
}

void MenuView::refresh()
{
    if (!m_model)
        return;
    const PanelState shown = PanelState::of(facts(), m_model->panelVisible(), m_clock(), m_locale);

    m_panel->setStatus(shown.status);
    switch (shown.dot) {
    case PanelState::Dot::off:
        m_panel->setDot(orbel::PanelStatus::Off);
        break;
    case PanelState::Dot::working:
        m_panel->setDot(orbel::PanelStatus::Working);
        break;
    case PanelState::Dot::attention:
        m_panel->setDot(orbel::PanelStatus::Attention);
        break;
    }
    m_panel->setSwitchEnabled(shown.switchEnabled);
    m_panel->syncSwitch();

    if (shown.notice) {
        m_notice->setTitle(shown.notice->title);
        m_notice->setMessage(shown.notice->message);
    }
    m_notice->setVisible(shown.notice.has_value());
    // A control nobody sees cannot be pressed, not even by a screen reader.
    m_retry->setEnabled(shown.notice.has_value());

    const bool tiles = shown.controls == PanelState::Controls::tiles;
    const bool session = shown.controls == PanelState::Controls::session;
    m_grid->setVisible(tiles);
    m_grid->setEnabled(tiles);
    m_actionRow->setVisible(session);
    m_actionRow->setEnabled(shown.sessionButtonsEnabled);
    m_extend->setVisible(shown.extends);
    m_extend->setEnabled(shown.extends);
    m_displayCard->setVisible(shown.controls != PanelState::Controls::none);
    m_displayRow->showSessionChoice(shown.sessionKeepsDisplayAwake);
    m_displayRow->setSwitchEnabled(tiles);
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
