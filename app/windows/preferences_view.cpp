#include "preferences_view.h"

#include "app_brand.h"
#include "app_model.h"
#include "pelorin_preferences.h"
#include "preferences_group.h"
#include "preferences_layout.h"
#include "preferences_note.h"
#include "preferences_state.h"
#include "preferences_status_row.h"
#include "preferences_toggle_row.h"
#include "window_content.h"
#include "window_singletons.h"

#include <QVBoxLayout>

namespace pelorin {

namespace {

// The window grows in steps of this many pixels; a page whose height is a
// multiple of it fills the window down to its bottom edge, so no strip of
// plain window shows below the page's tinted background.
constexpr int windowHeightStep = 4;

int roundedUpToStep(int height)
{
    return (height + windowHeightStep - 1) / windowHeightStep * windowHeightStep;
}

} // namespace

PreferencesView::PreferencesView(AppModel &model, const orbel::OrbelEnvironment &environment, QWidget *parent)
    : QWidget(parent), EnvironmentAware(environment), m_model(&model)
{
    PelorinPreferences *preferences = &model.preferences();

    m_group = new orbel::PreferencesGroup(tr("General"), environment);
    // Reads on while approval is pending; a flip starts the change, which
    // the preferences ignore while another one is under way.
    m_loginRow = new orbel::PreferencesToggleRow(
        tr("Open at Login"), std::nullopt,
        orbel::Binding<bool>{[this] { return m_model && m_model->preferences().opensAtLogin(); },
                             [this](bool on) {
                                 if (m_model)
                                     m_model->preferences().setOpenAtLogin(on);
                             }},
        environment);
    m_group->addRow(m_loginRow);
    m_note = new orbel::PreferencesNote(
        tr("Opening Pelorin never starts a session. Click a duration when you need it."), environment);
    m_group->addRow(m_note);
    m_statusRow = new orbel::PreferencesStatusRow(
        orbel::PreferencesStatus::Warning, tr("Allow Pelorin to open at login"),
        tr("Review Pelorin in Login Items in System Settings."),
        orbel::PreferencesAction{tr("Open System Settings"), [this] { openLoginItemsSettings(); }}, environment);
    m_group->addRow(m_statusRow);

    m_page = new orbel::PreferencesLayout(appBrand(), title(), m_group, environment, this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_page);
    layout->setSizeConstraint(QLayout::SetNoConstraint);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);

    // Any of these can change what the page shows; a change that fails
    // leaves the state as it was, and the switch must then snap back when
    // the preferences stop being busy.
    connect(preferences, &PelorinPreferences::loginStateChanged, this, &PreferencesView::refresh);
    connect(preferences, &PelorinPreferences::loginBusyChanged, this, &PreferencesView::refresh);
    connect(preferences, &PelorinPreferences::loginFailedChanged, this, &PreferencesView::refresh);
    connect(preferences, &PelorinPreferences::opensAtLoginChanged, this, &PreferencesView::refresh);

    environmentChanged();
    refresh();
}

PreferencesView::~PreferencesView() = default;

QString PreferencesView::title()
{
    return tr("Preferences");
}

void PreferencesView::refresh()
{
    if (!m_model)
        return;
    const PelorinPreferences &preferences = m_model->preferences();
    const PreferencesState shown =
        PreferencesState::of(preferences.loginState(), preferences.loginBusy(), preferences.loginFailed());
    m_loginRow->syncFromBinding();
    // The row keeps any disabling that comes from further out.
    m_loginRow->setEnabled(shown.switchEnabled);
    if (shown.warning)
        m_statusRow->setTitle(*shown.warning);
    m_statusRow->setVisible(shown.warning.has_value());
}

void PreferencesView::openLoginItemsSettings()
{
    // The preferences open nothing in a snapshot run.
    if (m_model)
        m_model->preferences().openLoginSettings();
}

int PreferencesView::heightForWidth(int width) const
{
    QLayout *stack = layout();
    const int height = stack->hasHeightForWidth() ? stack->heightForWidth(width) : stack->sizeHint().height();
    return roundedUpToStep(height);
}

QSize PreferencesView::sizeHint() const
{
    const int width = m_page->sizeHint().width();
    return {width, heightForWidth(width)};
}

QSize PreferencesView::minimumSizeHint() const
{
    return sizeHint();
}

void PreferencesView::environmentChanged()
{
    WindowContent::applySchemePalette(this, environment().scheme);
}

void showPreferences(AppModel &model)
{
    orbel::PreferencesWindow::show(
        PreferencesView::title(), false, [] {},
        [&model] {
            return WindowContent::boundToModel(model, [](AppModel &m) -> QWidget * {
                auto *view = new PreferencesView(m, WindowContent::initialEnvironment());
                WindowContent::followDesktop(view);
                return view;
            });
        });
}

} // namespace pelorin
