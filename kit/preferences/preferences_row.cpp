#include "preferences_row.h"

#include "accessibility_element.h"
#include "accessibility_hidden.h"
#include "brand_palette.h"
#include "login_item.h"
#include "orbel_font.h"
#include "orbel_metrics.h"
#include "orbel_switch.h"
#include "paragraph_label.h"
#include "preferences_focus_ring.h"
#include "text_label.h"

#include <QBoxLayout>
#include <QPointer>

#include <utility>

namespace orbel {

namespace {

constexpr int sideBySideSpacing = 12;
constexpr int stackedSpacing = 8;
constexpr int columnSpacing = 4;
constexpr int paddingWithNote = 8;
constexpr int paddingWithoutNote = 4;

} // namespace

PreferencesRow::PreferencesRow(const QString &title, const std::optional<QString> &note, bool controlIsNamed,
                               QWidget *control, const OrbelEnvironment &environment, QWidget *parent)
    : QWidget(parent), EnvironmentAware(environment), m_controlIsNamed(controlIsNamed),
      m_control(control ? control : new QWidget)
{
    m_box = new QBoxLayout(QBoxLayout::LeftToRight, this);
    const int padding = note ? paddingWithNote : paddingWithoutNote;
    m_box->setContentsMargins(0, padding, 0, padding);

    // The column is a layout, not a widget, so the control's focus ring
    // (which lives in the control's parent) has the whole row to draw in.
    m_column = new QVBoxLayout;
    m_column->setSpacing(columnSpacing);
    m_title = new ParagraphLabel(title, this);
    m_column->addStretch(1);
    m_column->addWidget(m_title);
    if (note) {
        m_note = new ParagraphLabel(*note, this);
        m_column->addWidget(m_note);
    }
    m_column->addStretch(1);
    m_box->addLayout(m_column, 1);

    m_control->setParent(this);
    m_control->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_box->addWidget(m_control, 0, Qt::AlignVCenter);

    if (m_controlIsNamed) {
        setAccessibilityHidden(m_title);
        if (m_note) {
            setAccessibilityHidden(m_note);
            m_control->setAccessibleDescription(spokenText(*note));
        }
    }

    setMinimumHeight(OrbelMetrics::preferencesRowMinHeight);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    environmentChanged();
}

QString PreferencesRow::title() const
{
    return m_title->text();
}

std::optional<QString> PreferencesRow::note() const
{
    if (!m_note)
        return std::nullopt;
    return m_note->text();
}

bool PreferencesRow::isStacked() const
{
    return isAccessibilitySize(environment().textSize);
}

void PreferencesRow::arrange()
{
    const bool stacked = isStacked();
    m_box->setDirection(stacked ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight);
    m_box->setSpacing(stacked ? stackedSpacing : sideBySideSpacing);
    m_box->setStretchFactor(m_column, stacked ? 0 : 1);
    m_box->setAlignment(m_control, stacked ? Qt::AlignTrailing : Qt::AlignVCenter);
}

void PreferencesRow::environmentChanged()
{
    const OrbelEnvironment &env = environment();
    const QFont font = orbelFont(OrbelFont::Support, env.textSize);
    m_title->setFont(font);
    m_title->setColor(BrandPalette::primary(env.scheme));
    if (m_note) {
        m_note->setFont(font);
        m_note->setColor(BrandPalette::primary70(env.scheme));
    }
    m_control->setFont(font);
    arrange();
}

} // namespace orbel
