#include "welcome_view.h"

#include "app_brand.h"
#include "app_model.h"
#include "brand_palette.h"
#include "orbel_font.h"
#include "paragraph_label.h"
#include "pelorin_preferences.h"
#include "welcome_steps_layout.h"
#include "window_content.h"
#include "window_singletons.h"

#include <QVBoxLayout>

#include <array>

namespace pelorin {

namespace {

constexpr int paragraphSpacing = 16;

// The step's card: three paragraphs 16 apart, the first in the primary
// colour, the other two in the secondary one, each wrapping to its whole
// height at any text size.
class WelcomeCard final : public QWidget, public orbel::EnvironmentAware {
public:
    WelcomeCard(const std::array<QString, 3> &texts, const orbel::OrbelEnvironment &environment)
        : EnvironmentAware(environment)
    {
        auto *layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(paragraphSpacing);
        for (const QString &text : texts) {
            auto *paragraph = new orbel::ParagraphLabel(text, this);
            layout->addWidget(paragraph);
            m_paragraphs.append(paragraph);
        }
        environmentChanged();
    }

    const QList<orbel::TextLabel *> &paragraphs() const { return m_paragraphs; }

protected:
    void environmentChanged() override
    {
        const orbel::OrbelEnvironment &env = environment();
        const QFont font = orbel::orbelFont(orbel::OrbelFont::Support, env.textSize);
        for (qsizetype i = 0; i < m_paragraphs.size(); ++i) {
            m_paragraphs[i]->setFont(font);
            m_paragraphs[i]->setColor(i == 0 ? orbel::BrandPalette::primary(env.scheme)
                                             : orbel::BrandPalette::primary70(env.scheme));
        }
    }

private:
    QList<orbel::TextLabel *> m_paragraphs;
};

} // namespace

WelcomeView::WelcomeView(AppModel &model, const orbel::OrbelEnvironment &environment, QWidget *parent)
    : QWidget(parent), EnvironmentAware(environment), m_model(&model)
{
    auto *card = new WelcomeCard({tr("When time runs out, or you turn Pelorin off, macOS can sleep again. Other apps "
                                     "may still keep it awake."),
                                  tr("Closing the lid, critical battery, or choosing Sleep can still put your Mac to "
                                     "sleep. Pelorin does not resume after sleep or reopening."),
                                  tr("A timer does not know when another app has finished its work.")},
                                 environment);

    orbel::WelcomeStepsLayout::Setup setup{
        .brand = appBrand(),
        .title = tr("Keep your Mac working"),
        .lead = tr("Click a duration in the menu bar, and your Mac stays awake until it ends."),
        .step = 1,
        .stepCount = 1,
        .stepLabel = std::nullopt,
        .stepTitle = tr("You decide when it ends"),
        .isStepDone = false,
        .privacy = tr("Your Mac, under your control"),
        .privacySymbol = QStringLiteral("checkmark.shield"),
        // On while approval is pending. Unlike the preferences, the welcome
        // leaves the switch usable while a change is under way; the
        // preferences ignore a second request until the first is done.
        .opensAtLogin = orbel::Binding<bool>{[this] { return m_model && m_model->preferences().opensAtLogin(); },
                                             [this](bool on) {
                                                 if (m_model)
                                                     m_model->preferences().setOpenAtLogin(on);
                                             }},
        .skip = std::nullopt,
        .back = std::nullopt,
        .primary = orbel::WelcomeStepsButton{tr("Let’s go"), false, [this] { finish(); }},
        .note = std::nullopt,
    };
    m_page = new orbel::WelcomeStepsLayout(std::move(setup), card, environment, this);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_page);
    layout->setSizeConstraint(QLayout::SetNoConstraint);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);

    // The switch shows the login item as it is now, also after a change
    // that failed and left it as it was.
    const auto sync = [this] { m_page->syncLoginSwitch(); };
    PelorinPreferences *preferences = &model.preferences();
    connect(preferences, &PelorinPreferences::loginStateChanged, this, sync);
    connect(preferences, &PelorinPreferences::loginBusyChanged, this, sync);
    connect(preferences, &PelorinPreferences::opensAtLoginChanged, this, sync);

    environmentChanged();
}

WelcomeView::~WelcomeView() = default;

QString WelcomeView::title()
{
    return tr("Getting Started");
}

QList<orbel::TextLabel *> WelcomeView::paragraphs() const
{
    const auto *card = dynamic_cast<const WelcomeCard *>(m_page->card());
    return card ? card->paragraphs() : QList<orbel::TextLabel *>();
}

void WelcomeView::environmentChanged()
{
    WindowContent::applySchemePalette(this, environment().scheme);
}

void WelcomeView::finish()
{
    orbel::WelcomeStepsWindow::close();
}

void showWelcome(AppModel &model)
{
    // Marked first, every time: the mark is on disk before the window shows.
    model.preferences().markWelcomeSeen();
    orbel::WelcomeStepsWindow::show(
        WelcomeView::title(), [] {},
        [&model] {
            return WindowContent::boundToModel(model, [](AppModel &m) -> QWidget * {
                auto *view = new WelcomeView(m, WindowContent::initialEnvironment());
                WindowContent::followDesktop(view);
                return view;
            });
        });
}

} // namespace pelorin
