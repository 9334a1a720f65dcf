#include "preferences_status_row.h"

#include "accessibility_element.h"
#include "accessibility_hidden.h"
#include "bordered_button.h"
#include "brand_palette.h"
#include "orbel_font.h"
#include "orbel_metrics.h"
#include "paragraph_label.h"
#include "preferences_focus_ring.h"
#include "symbol_view.h"
#include "text_label.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include <utility>

namespace orbel {

namespace {

constexpr int rowPadding = 12;
constexpr int textSpacing = 4;
constexpr int buttonGap = 8;

} // namespace

PreferencesStatusRow::PreferencesStatusRow(PreferencesStatus status, const QString &title,
                                           const std::optional<QString> &detail, const OrbelEnvironment &environment,
                                           QWidget *parent)
    : PreferencesStatusRow(status, title, detail, std::nullopt, environment, parent)
{
}

PreferencesStatusRow::PreferencesStatusRow(PreferencesStatus status, const QString &title,
                                           const std::optional<QString> &detail, PreferencesAction action,
                                           const OrbelEnvironment &environment, QWidget *parent)
    : PreferencesStatusRow(status, title, detail, std::optional<PreferencesAction>(std::move(action)), environment,
                           parent)
{
}

PreferencesStatusRow::PreferencesStatusRow(PreferencesStatus status, const QString &title,
                                           const std::optional<QString> &detail,
                                           std::optional<PreferencesAction> action, const OrbelEnvironment &environment,
                                           QWidget *parent)
    : QWidget(parent), EnvironmentAware(environment), m_status(status), m_hasDetail(detail.has_value())
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, rowPadding, 0, rowPadding);
    row->setSpacing(OrbelMetrics::gapM);

    m_icon = new SymbolView(symbolFor(status), {}, this);
    m_icon->setFrameWidth(OrbelMetrics::symbolFrameWidth);
    row->addWidget(m_icon, 0, Qt::AlignTop);

    auto *column = new QVBoxLayout;
    column->setSpacing(textSpacing);

    // Title and detail are read as one element, so they share a widget that
    // carries their words.
    m_texts = new QWidget(this);
    auto *texts = new QVBoxLayout(m_texts);
    texts->setContentsMargins(0, 0, 0, 0);
    texts->setSpacing(textSpacing);
    m_title = new ParagraphLabel(title, m_texts);
    m_title->setBesideSymbol(true);
    setAccessibilityHidden(m_title);
    texts->addWidget(m_title);
    m_detail = new ParagraphLabel(detail.value_or(QString()), m_texts);
    m_detail->setVisible(detail.has_value());
    setAccessibilityHidden(m_detail);
    texts->addWidget(m_detail);
    column->addWidget(m_texts);

    if (action) {
        // The button is the row's own child, so its ring has the row's
        // padding to draw in.
        column->addSpacing(buttonGap);
        m_button = new BorderedButton(action->title, environment, this);
        m_button->setControlSize(BorderedButton::ControlSize::Large);
        m_button->setBorderShape(BorderedButton::BorderShape::Capsule);
        m_button->setTextRole(OrbelFont::Support);
        // Its ideal size while there is room for it; with the largest text
        // there may not be, and then its title wraps rather than pushing the
        // row wider than the card or being shortened.
        m_button->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
        m_button->setWraps(true);
        m_button->setAccessibleName(spokenText(action->title));
        if (action->run)
            connect(m_button, &QAbstractButton::clicked, this, std::move(action->run));
        column->addWidget(m_button, 0, Qt::AlignLeading);
        preferencesFocusRing(m_button, RingShape::capsule(), environment);
    }
    row->addLayout(column, 1);

    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    updateTexts();
    environmentChanged();
}

QString PreferencesStatusRow::symbolFor(PreferencesStatus status)
{
    switch (status) {
    case PreferencesStatus::Good:
        return QStringLiteral("checkmark.circle");
    case PreferencesStatus::Info:
        return QStringLiteral("info.circle");
    case PreferencesStatus::Warning:
        return QStringLiteral("exclamationmark.triangle");
    case PreferencesStatus::Waiting:
        return QStringLiteral("clock");
    }
    return {};
}

QColor PreferencesStatusRow::colorFor(PreferencesStatus status, const OrbelEnvironment &environment)
{
    switch (status) {
    case PreferencesStatus::Good:
        return environment.tint.value_or(BrandPalette::systemAccent(environment.scheme));
    case PreferencesStatus::Warning:
        return BrandPalette::attention(environment.scheme);
    case PreferencesStatus::Info:
    case PreferencesStatus::Waiting:
        return BrandPalette::primary70(environment.scheme);
    }
    return BrandPalette::primary70(environment.scheme);
}

void PreferencesStatusRow::setStatus(PreferencesStatus status)
{
    if (status == m_status)
        return;
    m_status = status;
    m_icon->setSymbol(symbolFor(status));
    m_icon->setTint(colorFor(status, environment()));
}

QString PreferencesStatusRow::title() const
{
    return m_title->text();
}

void PreferencesStatusRow::setTitle(const QString &title)
{
    m_title->setText(title);
    updateTexts();
}

std::optional<QString> PreferencesStatusRow::detail() const
{
    if (!m_hasDetail)
        return std::nullopt;
    return m_detail->text();
}

void PreferencesStatusRow::setDetail(const std::optional<QString> &detail)
{
    m_hasDetail = detail.has_value();
    m_detail->setText(detail.value_or(QString()));
    m_detail->setVisible(m_hasDetail);
    updateTexts();
    environmentChanged();
}

void PreferencesStatusRow::updateTexts()
{
    m_texts->setAccessibleName(spokenText(m_title->text()));
    m_texts->setAccessibleDescription(spokenText(detail().value_or(QString())));
}

void PreferencesStatusRow::environmentChanged()
{
    const OrbelEnvironment &env = environment();
    const QFont support = orbelFont(OrbelFont::Support, env.textSize);
    // The symbol takes the size of the row's text.
    m_icon->setFont(support);
    m_icon->setTint(colorFor(m_status, env));
    m_title->setFont(detail() ? orbelFont(OrbelFont::SupportSemibold, env.textSize) : support);
    m_title->setColor(BrandPalette::primary(env.scheme));
    m_detail->setFont(support);
    m_detail->setColor(BrandPalette::primary70(env.scheme));
}

} // namespace orbel
