#include "menu_view.h"

#include "app_brand.h"
#include "app_model.h"
#include "bordered_button.h"
#include "brand_palette.h"
#include "duration_grid.h"
#include "item_list_layout.h"
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
#include "session_readout_view.h"
#include "symbol_view.h"
#include "text_label.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace pelorin {

namespace {

// The display row as screen readers meet it: while a session runs, one
// element that reads the sentence with the session's answer ("Yes" or "No");
// otherwise a group whose switch is operated on its own.
class DisplayRowAccessible : public QAccessibleWidget {
public:
    explicit DisplayRowAccessible(PanelDisplayRow *row) : QAccessibleWidget(row, QAccessible::Grouping) {}

    QAccessible::Role role() const override
    {
        return row()->isCombined() ? QAccessible::StaticText : QAccessible::Grouping;
    }

    QString text(QAccessible::Text kind) const override
    {
        if (!row()->isCombined())
            return QAccessibleWidget::text(kind);
        switch (kind) {
        case QAccessible::Name:
            return PanelDisplayRow::title();
        case QAccessible::Value:
        // The AT-SPI bridge passes no value text on for a plain element, so
        // the answer is its description as well.
        case QAccessible::Description:
            return row()->valueText();
        default:
            return QAccessibleWidget::text(kind);
        }
    }

    int childCount() const override { return row()->isCombined() ? 0 : QAccessibleWidget::childCount(); }
    QAccessibleInterface *child(int index) const override
    {
        return row()->isCombined() ? nullptr : QAccessibleWidget::child(index);
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return row()->isCombined() ? -1 : QAccessibleWidget::indexOfChild(child);
    }
    QAccessibleInterface *childAt(int x, int y) const override
    {
        return row()->isCombined() ? nullptr : QAccessibleWidget::childAt(x, y);
    }

private:
    PanelDisplayRow *row() const { return static_cast<PanelDisplayRow *>(widget()); }
};

QAccessibleInterface *displayRowFactory(const QString &, QObject *object)
{
    if (auto *row = qobject_cast<PanelDisplayRow *>(object))
        return new DisplayRowAccessible(row);
    return nullptr;
}

// The session's buttons share their row equally while each title fits its
// share on one line; where one does not (the largest text sizes), they stand
// one above the other, each across the whole row, rather than cutting their
// titles short. A button alone takes the whole row either way.
class SessionButtonsLayout : public orbel::ItemListLayout {
public:
    explicit SessionButtonsLayout(QWidget *parent) : orbel::ItemListLayout(parent)
    {
        setContentsMargins(0, 0, 0, 0);
        setSpacing(orbel::OrbelMetrics::gapS);
    }

    Qt::Orientations expandingDirections() const override { return Qt::Horizontal; }
    bool hasHeightForWidth() const override { return true; }

    // Whether the shown buttons stand side by side at `width`.
    bool sideBySide(int width) const
    {
        const QList<QLayoutItem *> items = shown();
        if (items.size() < 2)
            return true;
        const int share = (width - spacing() * int(items.size() - 1)) / int(items.size());
        return std::all_of(items.begin(), items.end(),
                           [share](const QLayoutItem *item) { return item->sizeHint().width() <= share; });
    }

    int heightForWidth(int width) const override
    {
        const QList<QLayoutItem *> items = shown();
        if (sideBySide(width))
            return tallest(items);
        int height = 0;
        for (const QLayoutItem *item : items)
            height += (height > 0 ? spacing() : 0) + item->sizeHint().height();
        return height;
    }

    QSize sizeHint() const override
    {
        const QList<QLayoutItem *> items = shown();
        int widest = 0;
        for (const QLayoutItem *item : items)
            widest = std::max(widest, item->sizeHint().width());
        const int count = int(items.size());
        return {count * widest + std::max(0, count - 1) * spacing(), tallest(items)};
    }

    QSize minimumSize() const override
    {
        const QList<QLayoutItem *> items = shown();
        int widest = 0;
        for (const QLayoutItem *item : items)
            widest = std::max(widest, item->minimumSize().width());
        return {widest, tallest(items)};
    }

    void setGeometry(const QRect &rect) override
    {
        QLayout::setGeometry(rect);
        const QList<QLayoutItem *> items = shown();
        if (items.isEmpty())
            return;
        if (sideBySide(rect.width())) {
            const int count = int(items.size());
            const int room = rect.width() - spacing() * (count - 1);
            const int height = tallest(items);
            int x = rect.left();
            for (int i = 0; i < count; ++i) {
                // The last one takes what rounding left over.
                const int width = i + 1 < count ? room / count : rect.right() + 1 - x;
                const int itemHeight = items[i]->sizeHint().height();
                items[i]->setGeometry(QRect(x, rect.top() + (height - itemHeight) / 2, width, itemHeight));
                x += width + spacing();
            }
            return;
        }
        int y = rect.top();
        for (QLayoutItem *item : items) {
            const int itemHeight = item->sizeHint().height();
            item->setGeometry(QRect(rect.left(), y, rect.width(), itemHeight));
            y += itemHeight + spacing();
        }
    }

private:
    QList<QLayoutItem *> shown() const
    {
        QList<QLayoutItem *> items;
        for (QLayoutItem *item : m_items) {
            if (!item->isEmpty())
                items.append(item);
        }
        return items;
    }

    static int tallest(const QList<QLayoutItem *> &items)
    {
        int height = 0;
        for (const QLayoutItem *item : items)
            height = std::max(height, item->sizeHint().height());
        return height;
    }
};

orbel::BorderedButton *sessionButton(const QString &title, const QString &symbol, const QString &accessibleName,
                                     const orbel::OrbelEnvironment &environment, QWidget *parent)
{
    auto *button = new orbel::BorderedButton(title, environment, parent);
    button->setSymbol(symbol);
    button->setControlSize(orbel::BorderedButton::ControlSize::Large);
    button->setBorderShape(orbel::BorderedButton::BorderShape::Capsule);
    button->setFont(orbel::orbelFont(orbel::OrbelFont::Heading, environment.textSize));
    button->setAccessibleName(accessibleName);
    // The buttons share the row equally; alone, "End" takes all of it.
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return button;
}

} // namespace

PanelDisplayRow::PanelDisplayRow(orbel::Binding<bool> keepsDisplayAwake, const orbel::OrbelEnvironment &environment,
                                 QWidget *parent)
    : QWidget(parent), EnvironmentAware(environment)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(displayRowFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);

    const QFont detail = orbel::orbelFont(orbel::OrbelFont::Detail, environment.textSize);
    setFont(detail);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(orbel::OrbelMetrics::gapS);

    m_symbol = new orbel::SymbolView(QStringLiteral("display"), {}, this);
    m_symbol->setFont(detail);
    m_symbol->setFrameWidth(orbel::OrbelMetrics::symbolFrameWidth);
    row->addWidget(m_symbol, 0, Qt::AlignVCenter);

    m_title = new orbel::TextLabel(title(), this);
    m_title->setFont(detail);
    row->addWidget(m_title, 1, Qt::AlignVCenter);

    row->addSpacing(orbel::OrbelMetrics::gapS);

    m_value = new orbel::TextLabel(QString(), this);
    m_value->setFont(detail);
    m_value->setWordWrap(false);
    m_value->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_value->hide();
    row->addWidget(m_value, 0, Qt::AlignVCenter);

    m_switch = new orbel::OrbelSwitch(title(), environment, this);
    m_switch->setControlSize(orbel::OrbelSwitch::ControlSize::Small);
    m_switch->setBinding(std::move(keepsDisplayAwake));
    row->addWidget(m_switch, 0, Qt::AlignVCenter);

    setMinimumHeight(orbel::OrbelMetrics::displayRowMinHeight);
    // As tall as the sentence needs once it wraps at the row's width.
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    environmentChanged();
}

QString PanelDisplayRow::title()
{
    return tr("Keep the display always awake");
}

QString PanelDisplayRow::valueText() const
{
    if (!m_sessionChoice)
        return {};
    return *m_sessionChoice ? tr("Yes") : tr("No");
}

void PanelDisplayRow::showSessionChoice(std::optional<bool> sessionChoice)
{
    if (sessionChoice == m_sessionChoice)
        return;
    const bool wasCombined = isCombined();
    m_sessionChoice = sessionChoice;
    m_value->setText(valueText());
    m_value->setVisible(isCombined());
    m_switch->setVisible(!isCombined());
    if (wasCombined != isCombined()) {
        QAccessibleEvent event(this, QAccessible::ObjectReorder);
        QAccessible::updateAccessibility(&event);
    } else {
        QAccessibleValueChangeEvent event(this, valueText());
        QAccessible::updateAccessibility(&event);
    }
}

void PanelDisplayRow::setSwitchEnabled(bool enabled)
{
    m_switch->setEnabled(enabled);
}

void PanelDisplayRow::syncSwitch()
{
    m_switch->syncFromBinding();
}

void PanelDisplayRow::environmentChanged()
{
    const orbel::ColorScheme scheme = environment().scheme;
    const QColor accent = appBrand().accent(scheme);
    m_symbol->setTint(accent);
    m_switch->setTint(accent);
    m_title->setColor(orbel::BrandPalette::primary(scheme));
    m_value->setColor(orbel::BrandPalette::primary70(scheme));
}

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
    m_displayCard->setFont(orbel::orbelFont(orbel::OrbelFont::Detail, env.textSize));
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
        return state.failure() && state.failure()->retainsResources ? tr("The session needs attention")
                                                                    : tr("The session did not start");
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
        m_notice->setTitle(retains ? tr("The session could not end") : tr("The session could not start"));
        m_notice->setMessage(retains ? tr("The Mac may still be kept awake. Try ending the session again.")
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
