// Writes the preferences and welcome pieces, light and dark, into the kit
// gallery, the whole pages also at the largest accessibility text size.
#include "kit_test_support.h"
#include "preferences_test_support.h"

#include "login_item.h"
#include "permission_row.h"
#include "preferences_choice_menu.h"
#include "preferences_destructive_label.h"
#include "preferences_group.h"
#include "preferences_layout.h"
#include "preferences_note.h"
#include "preferences_pane_layout.h"
#include "preferences_row.h"
#include "preferences_status_row.h"
#include "preferences_value_row.h"
#include "welcome_layout.h"
#include "welcome_step_row.h"
#include "welcome_steps_button.h"
#include "welcome_steps_layout.h"

#include <QHBoxLayout>

using namespace orbel;
using namespace orbel::test;

namespace {

constexpr qreal galleryRatio = 2.0;

QString suffix(ColorScheme scheme, TextSize size = TextSize::Large)
{
    QString name = u'-' + QLatin1String(schemeName(scheme));
    if (size == TextSize::Accessibility5)
        name += QStringLiteral("-accessibility5");
    return name;
}

void writePiece(QWidget *piece, ColorScheme scheme, int width, const QString &name)
{
    Stage stage(piece, scheme, width);
    saveToGallery(render(&stage, galleryRatio), name + suffix(scheme));
}

// A whole page draws its own background: it is written as it is.
void writePage(QWidget *page, const QString &name, int width = 560)
{
    layOut(page);
    const QImage image = render(page, galleryRatio);
    EXPECT_EQ(image.width(), width * galleryRatio);
    saveToGallery(image, name);
}

// The preferences page of the program, in its approval state.
QWidget *preferencesContent(const OrbelEnvironment &env, BoundFlag &flag)
{
    auto *group = new PreferencesGroup(QStringLiteral("General"), env);
    group->addRow(new PreferencesToggleRow(QStringLiteral("Open at Login"), std::nullopt, flag.binding(), env));
    group->addRow(new PreferencesNote(
        QStringLiteral("Opening Pelorin never starts a session. Click a duration when you need it."), env));
    group->addRow(new PreferencesStatusRow(PreferencesStatus::Warning, QStringLiteral("Allow Pelorin to open at login"),
                                           QStringLiteral("Review Pelorin in Login Items in System Settings."),
                                           PreferencesAction{QStringLiteral("Open System Settings"), {}}, env));
    return group;
}

class PreferencesGallery : public ::testing::TestWithParam<ColorScheme> {
protected:
    ColorScheme scheme() const { return GetParam(); }
    OrbelEnvironment environment(TextSize size = TextSize::Large) const
    {
        OrbelEnvironment env = environmentFor(scheme());
        env.reduceMotion = true;
        env.textSize = size;
        // Inside a chrome the controls take the brand accent.
        env.tint = sampleBrand().accent(scheme());
        return env;
    }
};

} // namespace

TEST_P(PreferencesGallery, PreferencesPage)
{
    for (const TextSize size : {TextSize::Large, TextSize::Accessibility5}) {
        BoundFlag flag{.value = true};
        const OrbelEnvironment env = environment(size);
        PreferencesLayout page(sampleBrand(), QStringLiteral("Preferences"), preferencesContent(env, flag), env);
        writePage(&page, QStringLiteral("preferences-page") + suffix(scheme(), size));
    }
}

TEST_P(PreferencesGallery, PreferencesRows)
{
    const OrbelEnvironment env = environment();
    static BoundFlag on{.value = true};
    static BoundFlag off;
    auto *column = new QWidget;
    auto *layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(24);

    auto *switches = new PreferencesGroup(QStringLiteral("Switches"), env);
    switches->addRow(new PreferencesToggleRow(QStringLiteral("Open at Login"), std::nullopt, on.binding(), env));
    switches->addRow(new PreferencesToggleRow(QStringLiteral("Keep the display awake"),
                                              QStringLiteral("Only while a session runs. The screen may still dim "
                                                             "when the battery runs low."),
                                              off.binding(), env));
    auto *busy = new PreferencesToggleRow(QStringLiteral("Busy and disabled"), std::nullopt, on.binding(), env);
    busy->setEnabled(false);
    switches->addRow(busy);
    auto *choice = PreferencesChoiceMenu::create<int>(
        QStringLiteral("Default length"), Binding<int>{[] { return 60; }, [](int) {}}, QList<int>{15, 30, 60, 120},
        [](const int &minutes) { return QStringLiteral("%1 minutes").arg(minutes); }, env);
    switches->addRow(new PreferencesRow(QStringLiteral("Default length"), std::nullopt, false, choice, env));
    switches->addRow(new PreferencesValueRow(QStringLiteral("Version"), QStringLiteral("1.0.0 (2024)"), env));
    layout->addWidget(switches);

    auto *statuses = new PreferencesGroup(QStringLiteral("Status"), env);
    statuses->addRow(
        new PreferencesStatusRow(PreferencesStatus::Good, QStringLiteral("Pelorin opens at login"), std::nullopt, env));
    statuses->addRow(new PreferencesStatusRow(PreferencesStatus::Info, QStringLiteral("Sessions end at sleep"),
                                              QStringLiteral("Closing the lid always puts the Mac to sleep."), env));
    statuses->addRow(new PreferencesStatusRow(PreferencesStatus::Warning,
                                              QStringLiteral("The login setting could not change"),
                                              QStringLiteral("Review Pelorin in Login Items in System Settings."),
                                              PreferencesAction{QStringLiteral("Open System Settings"), {}}, env));
    statuses->addRow(new PreferencesStatusRow(PreferencesStatus::Waiting, QStringLiteral("Waiting for approval"),
                                              std::nullopt, env));
    statuses->addRow(new PreferencesGap);
    statuses->addRow(new PreferencesDestructiveLabel(QStringLiteral("Reset all settings"), env));
    layout->addWidget(statuses);
    writePiece(column, scheme(), 496, QStringLiteral("preferences-rows"));
}

TEST_P(PreferencesGallery, WelcomeButtons)
{
    const OrbelEnvironment env = environment();
    auto *column = new QWidget;
    auto *layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    const auto line = [&](const OrbelBrand &brand) {
        auto *row = new QHBoxLayout;
        row->setSpacing(12);
        row->addWidget(new WelcomeButton({QStringLiteral("Skip"), false, {}}, brand, false, env));
        row->addWidget(new WelcomeButton({QStringLiteral("Back"), true, {}}, brand, false, env));
        row->addStretch(1);
        row->addWidget(new WelcomeButton({QStringLiteral("Not yet"), true, {}}, brand, true, env));
        row->addWidget(new WelcomeButton({QStringLiteral("Let\u2019s go"), false, {}}, brand, true, env));
        layout->addLayout(row);
    };
    line(sampleBrand());
    line(OrbelBrand(QStringLiteral("Night"), QColor(24, 40, 120), OrbelBrand::Connection::Online));
    line(OrbelBrand(QStringLiteral("Snow"), QColor(250, 250, 250), OrbelBrand::Connection::Online));
    writePiece(column, scheme(), 460, QStringLiteral("welcome-buttons"));
}

TEST_P(PreferencesGallery, WelcomeStepRows)
{
    const OrbelEnvironment env = environment();
    auto *column = new QWidget;
    auto *layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    const auto detail = [&](const QString &words) {
        auto *text = new TextLabel(words);
        return text;
    };
    layout->addWidget(new WelcomeStepRow(WelcomeStepState::Done, sampleBrand(), QStringLiteral("All set"),
                                         WelcomeStepsButton{QStringLiteral("Never shown"), false, {}},
                                         detail(QStringLiteral("Pelorin opens when you log in.")), env));
    layout->addWidget(new WelcomeStepRow(WelcomeStepState::Todo, sampleBrand(), QStringLiteral("Never shown"),
                                         WelcomeStepsButton{QStringLiteral("Allow"), false, {}},
                                         detail(QStringLiteral("Let Pelorin open at login.")), env));
    auto *steps = new WelcomeStepDetail(4, env);
    steps->addText(QStringLiteral("Open System Settings."));
    steps->addText(QStringLiteral("Review Pelorin in Login Items."));
    layout->addWidget(
        new WelcomeStepRow(WelcomeStepState::Attention, sampleBrand(), std::nullopt, std::nullopt, steps, env));
    writePiece(column, scheme(), 400, QStringLiteral("welcome-step-rows"));
}

TEST_P(PreferencesGallery, WelcomePage)
{
    for (const TextSize size : {TextSize::Large, TextSize::Accessibility5}) {
        BoundFlag flag;
        const OrbelEnvironment env = environment(size);
        WelcomeStepsLayout page(welcomeSetup(sampleBrand(), flag.binding(), {}), welcomeCard(env), env);
        writePage(&page, QStringLiteral("welcome-page") + suffix(scheme(), size));
    }
}

TEST_P(PreferencesGallery, WelcomePageWithEveryPart)
{
    BoundFlag flag{.value = true};
    const OrbelEnvironment env = environment();
    WelcomeStepsLayout::Setup setup = welcomeSetup(sampleBrand(), flag.binding(), {});
    setup.step = 2;
    setup.stepCount = 3;
    setup.stepLabel = QStringLiteral("Step 2 of 3");
    setup.isStepDone = false;
    setup.skip = WelcomeStepsButton{QStringLiteral("Skip"), false, {}};
    setup.back = WelcomeStepsButton{QStringLiteral("Back"), false, {}};
    setup.primary.title = QStringLiteral("Continue");
    setup.note = QStringLiteral("You can change this later in Preferences.");
    WelcomeStepsLayout page(std::move(setup), welcomeCard(env), env);
    writePage(&page, QStringLiteral("welcome-page-every-part") + suffix(scheme()));
}

TEST_P(PreferencesGallery, WelcomePageScrolling)
{
    // Offered less height than it needs, the upper half scrolls.
    BoundFlag flag;
    const OrbelEnvironment env = environment();
    WelcomeStepsLayout page(welcomeSetup(sampleBrand(), flag.binding(), {}), welcomeCard(env), env);
    page.ensurePolished();
    page.resize(560, page.sizeHint().height() - 160);
    const QImage image = render(&page, galleryRatio);
    EXPECT_EQ(page.arrangement(), WelcomeStepsLayout::Arrangement::Scrolling);
    saveToGallery(image, QStringLiteral("welcome-page-scrolling") + suffix(scheme()));
}

TEST_P(PreferencesGallery, SidebarPreferencesPage)
{
    BoundFlag flag{.value = true};
    const OrbelEnvironment env = environment();
    int selected = 1;
    const QList<PreferencesPane<int>> panes{
        {0, QStringLiteral("General"), QStringLiteral("gearshape")},
        {1, QStringLiteral("Sessions"), QStringLiteral("clock")},
        {2, QStringLiteral("A pane title long enough to shrink"), QStringLiteral("info.circle")},
    };
    std::unique_ptr<PreferencesPaneLayout> page(PreferencesPaneLayout::create<int>(
        sampleBrand(), panes, {[&] { return selected; }, [&](int pane) { selected = pane; }},
        [&](const int &) { return preferencesContent(env, flag); }, env));
    writePage(page.get(), QStringLiteral("preferences-sidebar-page") + suffix(scheme()), 768);
}

TEST_P(PreferencesGallery, SinglePageWelcome)
{
    ScratchLoginItem scratch(QStringLiteral("org.example.PreferencesGallery"));
    LoginItem &item = scratch.item;
    const OrbelEnvironment env = environment();
    const QColor badge = sampleBrand().accent(scheme());
    WelcomeLayout page({.brand = sampleBrand(),
                        .title = QStringLiteral("Welcome to Pelorin"),
                        .subtitle = QStringLiteral("Keep your Mac awake for as long as you choose."),
                        .privacy = QStringLiteral("Your Mac, under your control"),
                        .privacySymbol = QStringLiteral("checkmark.shield")},
                       nullptr,
                       {new PermissionRow(1, true, false, QStringLiteral("Power management"),
                                          QStringLiteral("Keeps the Mac from sleeping while a session runs."),
                                          QStringLiteral("Allow"), badge, {}, env),
                        new PermissionRow(2, false, true, QStringLiteral("Notifications"),
                                          QStringLiteral("Tells you when a session is about to end."),
                                          QStringLiteral("Allow Notifications"), badge, {}, env)},
                       item, env);
    writePage(&page, QStringLiteral("welcome-single-page") + suffix(scheme()), 480);
}

INSTANTIATE_TEST_SUITE_P(Schemes, PreferencesGallery, ::testing::Values(ColorScheme::Light, ColorScheme::Dark));
