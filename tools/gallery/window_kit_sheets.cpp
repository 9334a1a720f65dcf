#include "window_kit_sheets.h"

#include "gallery_folder.h"
#include "kit_samples.h"
#include "piece_stage.h"

#include "brand_palette.h"
#include "paragraph_label.h"
#include "permission_row.h"
#include "preferences_choice_menu.h"
#include "preferences_destructive_label.h"
#include "preferences_gap.h"
#include "preferences_group.h"
#include "preferences_layout.h"
#include "preferences_note.h"
#include "preferences_pane_layout.h"
#include "preferences_status_row.h"
#include "preferences_toggle_row.h"
#include "preferences_value_row.h"
#include "welcome_button.h"
#include "welcome_layout.h"
#include "welcome_step_detail.h"
#include "welcome_step_row.h"
#include "welcome_steps_layout.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include <memory>

namespace pelorin::gallery {

using namespace orbel;

namespace {

// A switch's value, bound the way a window binds its own.
struct SampleFlag {
    bool value = false;
    Binding<bool> binding()
    {
        return {[this] { return value; }, [this](bool on) { value = on; }};
    }
};

class WindowKitSheets {
public:
    WindowKitSheets(GalleryFolder &folder, ColorScheme scheme) : m_folder(folder), m_scheme(scheme)
    {
        m_environment = sampleEnvironment(scheme);
        // Inside a chrome the controls take the brand accent.
        m_environment.tint = sampleBrand().accent(scheme);
    }

    void drawAll()
    {
        preferencesRows();
        preferencesPage();
        sidebarPage();
        welcomeButtons();
        welcomeStepRows();
        welcomePages();
        singlePageWelcome();
    }

private:
    QString name(const char *piece) const
    {
        return QStringLiteral("kit-") + QLatin1String(piece) + u'-' + schemeName(m_scheme);
    }

    void write(QWidget *piece, int width, const char *pieceName)
    {
        PieceStage stage(piece, m_scheme, width);
        m_folder.save(picture(&stage), name(pieceName));
    }
    // A whole page draws its own background: it is written as it is.
    void writePage(QWidget *page, const char *pageName)
    {
        layOut(page);
        m_folder.save(picture(page), name(pageName));
    }

    QWidget *preferencesContent(SampleFlag &flag) const
    {
        auto *group = new PreferencesGroup(QStringLiteral("General"), m_environment);
        group->addRow(
            new PreferencesToggleRow(QStringLiteral("Open at Login"), std::nullopt, flag.binding(), m_environment));
        group->addRow(new PreferencesNote(
            QStringLiteral("Opening Pelorin never starts a session. Click a duration when you need it."),
            m_environment));
        group->addRow(
            new PreferencesStatusRow(PreferencesStatus::Warning, QStringLiteral("Allow Pelorin to open at login"),
                                     QStringLiteral("Review Pelorin in Login Items in System Settings."),
                                     PreferencesAction{QStringLiteral("Open System Settings"), {}}, m_environment));
        return group;
    }

    QWidget *welcomeCard() const
    {
        const auto paragraph = [&](const char *words, const QColor &color) {
            auto *label = new ParagraphLabel(QString::fromUtf8(words));
            label->setFont(orbelFont(OrbelFont::Support, m_environment.textSize));
            label->setColor(color);
            return label;
        };
        return sampleColumn(
            {paragraph("Sessions end when time runs out or when you end them.", BrandPalette::primary(m_scheme)),
             paragraph("Closing the lid or choosing Sleep still puts the computer to sleep.",
                       BrandPalette::primary70(m_scheme)),
             paragraph("A timer does not know when another app has finished its work.",
                       BrandPalette::primary70(m_scheme))},
            16);
    }

    WelcomeStepsLayout::Setup welcomeSetup(SampleFlag &flag) const
    {
        return WelcomeStepsLayout::Setup{
            .brand = sampleBrand(),
            .title = QStringLiteral("Keep your Mac working"),
            .lead = QStringLiteral("Click a duration in the menu bar, and your Mac stays awake until it ends."),
            .step = 1,
            .stepCount = 1,
            .stepLabel = std::nullopt,
            .stepTitle = QStringLiteral("You decide when it ends"),
            .isStepDone = false,
            .privacy = QStringLiteral("Your Mac, under your control"),
            .privacySymbol = QStringLiteral("checkmark.shield"),
            .opensAtLogin = flag.binding(),
            .skip = std::nullopt,
            .back = std::nullopt,
            .primary = WelcomeStepsButton{QStringLiteral("Let\u2019s go"), false, {}},
            .note = std::nullopt,
        };
    }

    void preferencesRows()
    {
        SampleFlag on{.value = true};
        SampleFlag off;
        auto *switches = new PreferencesGroup(QStringLiteral("Switches"), m_environment);
        switches->addRow(
            new PreferencesToggleRow(QStringLiteral("Open at Login"), std::nullopt, on.binding(), m_environment));
        switches->addRow(new PreferencesToggleRow(QStringLiteral("Keep the display awake"),
                                                  QStringLiteral("Only while a session runs. The screen may still dim "
                                                                 "when the battery runs low."),
                                                  off.binding(), m_environment));
        auto *busy =
            new PreferencesToggleRow(QStringLiteral("Busy and disabled"), std::nullopt, on.binding(), m_environment);
        busy->setEnabled(false);
        switches->addRow(busy);
        auto *choice = PreferencesChoiceMenu::create<int>(
            QStringLiteral("Default length"), Binding<int>{[] { return 60; }, [](int) {}}, QList<int>{15, 30, 60, 120},
            [](const int &minutes) { return QStringLiteral("%1 minutes").arg(minutes); }, m_environment);
        switches->addRow(
            new PreferencesRow(QStringLiteral("Default length"), std::nullopt, false, choice, m_environment));
        switches->addRow(new PreferencesValueRow(QStringLiteral("Version"), QStringLiteral("1.0.0"), m_environment));

        auto *statuses = new PreferencesGroup(QStringLiteral("Status"), m_environment);
        statuses->addRow(new PreferencesStatusRow(PreferencesStatus::Good, QStringLiteral("Pelorin opens at login"),
                                                  std::nullopt, m_environment));
        statuses->addRow(new PreferencesStatusRow(PreferencesStatus::Info, QStringLiteral("Sessions end at sleep"),
                                                  QStringLiteral("Closing the lid always puts the computer to sleep."),
                                                  m_environment));
        statuses->addRow(
            new PreferencesStatusRow(PreferencesStatus::Warning, QStringLiteral("The login setting could not change"),
                                     QStringLiteral("Review Pelorin in Login Items in System Settings."),
                                     PreferencesAction{QStringLiteral("Open System Settings"), {}}, m_environment));
        statuses->addRow(new PreferencesStatusRow(PreferencesStatus::Waiting, QStringLiteral("Waiting for approval"),
                                                  std::nullopt, m_environment));
        statuses->addRow(new PreferencesGap);
        statuses->addRow(new PreferencesDestructiveLabel(QStringLiteral("Reset all settings"), m_environment));
        // The rows read their bindings while they are drawn.
        write(sampleColumn({switches, statuses}, 24), 496, "preferences-rows");
    }

    void preferencesPage()
    {
        SampleFlag flag{.value = true};
        PreferencesLayout page(sampleBrand(), QStringLiteral("Preferences"), preferencesContent(flag), m_environment);
        writePage(&page, "preferences-page");
    }

    void sidebarPage()
    {
        SampleFlag flag{.value = true};
        int selected = 1;
        const QList<PreferencesPane<int>> panes{
            {0, QStringLiteral("General"), QStringLiteral("gearshape")},
            {1, QStringLiteral("Sessions"), QStringLiteral("clock")},
            {2, QStringLiteral("A pane title long enough to shrink"), QStringLiteral("info.circle")},
        };
        std::unique_ptr<PreferencesPaneLayout> page(PreferencesPaneLayout::create<int>(
            sampleBrand(), panes, {[&] { return selected; }, [&](int pane) { selected = pane; }},
            [&](const int &) { return preferencesContent(flag); }, m_environment));
        writePage(page.get(), "preferences-sidebar-page");
    }

    void welcomeButtons()
    {
        auto *column = new QWidget;
        auto *layout = new QVBoxLayout(column);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(12);
        const auto line = [&](const OrbelBrand &brand) {
            auto *row = new QHBoxLayout;
            row->setSpacing(12);
            row->addWidget(new WelcomeButton({QStringLiteral("Skip"), false, {}}, brand, false, m_environment));
            row->addWidget(new WelcomeButton({QStringLiteral("Back"), true, {}}, brand, false, m_environment));
            row->addStretch(1);
            row->addWidget(new WelcomeButton({QStringLiteral("Not yet"), true, {}}, brand, true, m_environment));
            row->addWidget(new WelcomeButton({QStringLiteral("Let\u2019s go"), false, {}}, brand, true, m_environment));
            layout->addLayout(row);
        };
        line(sampleBrand());
        line(OrbelBrand(QStringLiteral("Night"), QColor(24, 40, 120), OrbelBrand::Connection::Online));
        line(OrbelBrand(QStringLiteral("Snow"), QColor(250, 250, 250), OrbelBrand::Connection::Online));
        write(column, 460, "welcome-buttons");
    }

    void welcomeStepRows()
    {
        auto *steps = new WelcomeStepDetail(4, m_environment);
        steps->addText(QStringLiteral("Open System Settings."));
        steps->addText(QStringLiteral("Review Pelorin in Login Items."));
        write(sampleColumn(
                  {new WelcomeStepRow(WelcomeStepState::Done, sampleBrand(), QStringLiteral("All set"),
                                      WelcomeStepsButton{QStringLiteral("Never shown"), false, {}},
                                      new TextLabel(QStringLiteral("Pelorin opens when you log in.")), m_environment),
                   new WelcomeStepRow(WelcomeStepState::Todo, sampleBrand(), QStringLiteral("Never shown"),
                                      WelcomeStepsButton{QStringLiteral("Allow"), false, {}},
                                      new TextLabel(QStringLiteral("Let Pelorin open at login.")), m_environment),
                   new WelcomeStepRow(WelcomeStepState::Attention, sampleBrand(), std::nullopt, std::nullopt, steps,
                                      m_environment)},
                  0),
              400, "welcome-step-rows");
    }

    void welcomePages()
    {
        {
            SampleFlag flag{.value = true};
            WelcomeStepsLayout::Setup setup = welcomeSetup(flag);
            setup.step = 2;
            setup.stepCount = 3;
            setup.stepLabel = QStringLiteral("Step 2 of 3");
            setup.skip = WelcomeStepsButton{QStringLiteral("Skip"), false, {}};
            setup.back = WelcomeStepsButton{QStringLiteral("Back"), false, {}};
            setup.primary.title = QStringLiteral("Continue");
            setup.note = QStringLiteral("You can change this later in Preferences.");
            WelcomeStepsLayout page(std::move(setup), welcomeCard(), m_environment);
            writePage(&page, "welcome-page-every-part");
        }
        {
            // Offered less height than it needs, the upper half scrolls.
            SampleFlag flag;
            WelcomeStepsLayout page(welcomeSetup(flag), welcomeCard(), m_environment);
            page.ensurePolished();
            page.resize(560, page.sizeHint().height() - 160);
            m_folder.save(picture(&page), name("welcome-page-scrolling"));
        }
    }

    void singlePageWelcome()
    {
        SampleLoginItem login;
        LoginItem &item = login.item;
        const QColor badge = sampleBrand().accent(m_scheme);
        WelcomeLayout page({.brand = sampleBrand(),
                            .title = QStringLiteral("Welcome to Pelorin"),
                            .subtitle = QStringLiteral("Keep your computer awake for as long as you choose."),
                            .privacy = QStringLiteral("Your Mac, under your control"),
                            .privacySymbol = QStringLiteral("checkmark.shield")},
                           nullptr,
                           {new PermissionRow(1, true, false, QStringLiteral("Power management"),
                                              QStringLiteral("Keeps the computer awake while a session runs."),
                                              QStringLiteral("Allow"), badge, {}, m_environment),
                            new PermissionRow(2, false, true, QStringLiteral("Notifications"),
                                              QStringLiteral("Tells you when a session is about to end."),
                                              QStringLiteral("Allow Notifications"), badge, {}, m_environment)},
                           item, m_environment);
        writePage(&page, "welcome-single-page");
    }

    GalleryFolder &m_folder;
    ColorScheme m_scheme;
    OrbelEnvironment m_environment;
};

} // namespace

void drawWindowKit(GalleryFolder &folder, ColorScheme scheme)
{
    WindowKitSheets(folder, scheme).drawAll();
}

} // namespace pelorin::gallery
