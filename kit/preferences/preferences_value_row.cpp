#include "preferences_value_row.h"

#include "accessibility_element.h"
#include "accessibility_hidden.h"
#include "brand_palette.h"
#include "orbel_font.h"
#include "orbel_metrics.h"
#include "paragraph_label.h"
#include "text_label.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace orbel {

PreferencesValueRow::PreferencesValueRow(const QString &title, const QString &value,
                                         const OrbelEnvironment &environment, QWidget *parent)
    : QWidget(parent), EnvironmentAware(environment)
{
    // The line is centred in the row's height; within it, title and value
    // share a font, so aligning their tops lines up their first baselines.
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    auto *row = new QHBoxLayout;
    row->setSpacing(OrbelMetrics::gapM);
    m_title = new TextLabel(title, this);
    m_title->setWordWrap(false);
    m_title->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    m_value = new ParagraphLabel(value, this);
    m_value->setAlignment(Qt::AlignTrailing | Qt::AlignTop);
    row->addWidget(m_title, 0, Qt::AlignTop);
    row->addSpacing(OrbelMetrics::gapS);
    row->addWidget(m_value, 1, Qt::AlignTop);
    outer->addStretch(1);
    outer->addLayout(row);
    outer->addStretch(1);
    setAccessibilityHidden(m_title);
    setAccessibilityHidden(m_value);
    setMinimumHeight(OrbelMetrics::settingRowMinHeight);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    updateAccessibleName();
    environmentChanged();
}

QString PreferencesValueRow::title() const
{
    return m_title->text();
}

QString PreferencesValueRow::value() const
{
    return m_value->text();
}

void PreferencesValueRow::setValue(const QString &value)
{
    m_value->setText(value);
    updateAccessibleName();
}

void PreferencesValueRow::updateAccessibleName()
{
    setAccessibleName(spokenText(m_title->text() + QStringLiteral(", ") + m_value->text()));
}

void PreferencesValueRow::environmentChanged()
{
    const OrbelEnvironment &env = environment();
    const QFont font = orbelFont(OrbelFont::Support, env.textSize);
    m_title->setFont(font);
    m_title->setColor(BrandPalette::primary70(env.scheme));
    m_value->setFont(withEqualWidthDigits(font));
    m_value->setColor(BrandPalette::primary(env.scheme));
}

} // namespace orbel
