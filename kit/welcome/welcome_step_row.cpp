#include "welcome_step_row.h"

#include "brand_palette.h"
#include "orbel_font.h"
#include "orbel_metrics.h"
#include "paragraph_label.h"
#include "symbol_view.h"
#include "text_label.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace orbel {

namespace {

constexpr int rowPadding = 12;
constexpr int actionGap = 4;

// Sets every text label of `root` in the welcome pages' secondary text.
void colourTexts(QWidget *root, const OrbelEnvironment &environment)
{
    QList<TextLabel *> labels = root->findChildren<TextLabel *>();
    if (auto *label = qobject_cast<TextLabel *>(root))
        labels.prepend(label);
    for (TextLabel *label : labels) {
        label->setFont(orbelFont(OrbelFont::Support, environment.textSize));
        label->setColor(BrandPalette::primary70(environment.scheme));
    }
}

} // namespace

WelcomeStepRow::WelcomeStepRow(WelcomeStepState state, const OrbelBrand &brand,
                               const std::optional<QString> &celebration,
                               const std::optional<WelcomeStepsButton> &action, QWidget *detail,
                               const OrbelEnvironment &environment, QWidget *parent)
    : QWidget(parent), EnvironmentAware(environment), m_state(state), m_detail(detail ? detail : new QWidget)
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, rowPadding, 0, rowPadding);
    row->setSpacing(OrbelMetrics::gapM);

    m_icon = new SymbolView(symbolFor(state), {}, this);
    m_icon->setFrameWidth(OrbelMetrics::symbolFrameWidth);
    row->addWidget(m_icon, 0, Qt::AlignTop);

    auto *column = new QVBoxLayout;
    column->setSpacing(OrbelMetrics::gapS);
    if (state == WelcomeStepState::Done && celebration) {
        m_celebration = new ParagraphLabel(*celebration, this);
        m_celebration->setBesideSymbol(true);
        column->addWidget(m_celebration);
    }
    m_detail->setParent(this);
    column->addWidget(m_detail);
    if (state != WelcomeStepState::Done && action) {
        // The button is the row's own child, so its ring has the row's
        // padding to draw in.
        column->addSpacing(actionGap);
        m_action = new WelcomeButton(*action, brand, false, environment, this);
        column->addWidget(m_action, 0, Qt::AlignLeading);
    }
    row->addLayout(column, 1);

    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    environmentChanged();
}

QString WelcomeStepRow::symbolFor(WelcomeStepState state)
{
    switch (state) {
    case WelcomeStepState::Todo:
        return QStringLiteral("circle");
    case WelcomeStepState::Done:
        return QStringLiteral("checkmark.circle.fill");
    case WelcomeStepState::Attention:
        return QStringLiteral("exclamationmark.triangle");
    }
    return {};
}

QColor WelcomeStepRow::colorFor(WelcomeStepState state, ColorScheme scheme)
{
    switch (state) {
    case WelcomeStepState::Todo:
        return BrandPalette::primary70(scheme);
    case WelcomeStepState::Done:
        return PrivacyGreen::color(scheme);
    case WelcomeStepState::Attention:
        return BrandPalette::attention(scheme);
    }
    return BrandPalette::primary70(scheme);
}

void WelcomeStepRow::environmentChanged()
{
    const OrbelEnvironment &env = environment();
    const QFont support = orbelFont(OrbelFont::Support, env.textSize);
    setFont(support);
    m_icon->setFont(support);
    m_icon->setTint(colorFor(m_state, env.scheme));
    if (m_celebration) {
        m_celebration->setFont(orbelFont(OrbelFont::SupportSemibold, env.textSize));
        m_celebration->setColor(PrivacyGreen::color(env.scheme));
    }
    // The caller's description reads in the secondary colour.
    colourTexts(m_detail, env);
}

} // namespace orbel
