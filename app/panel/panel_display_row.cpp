#include "panel_display_row.h"

#include "accessibility_element.h"
#include "app_brand.h"
#include "brand_palette.h"
#include "orbel_font.h"
#include "orbel_metrics.h"
#include "orbel_switch.h"
#include "symbol_view.h"
#include "text_label.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHBoxLayout>

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
            return orbel::spokenText(PanelDisplayRow::title());
        case QAccessible::Value:
        // The AT-SPI bridge passes no value text on for a plain element, so
        // the answer is its description as well.
        case QAccessible::Description:
            return orbel::spokenText(row()->valueText());
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

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(orbel::OrbelMetrics::gapS);

    m_symbol = new orbel::SymbolView(QStringLiteral("display"), {}, this);
    m_symbol->setFrameWidth(orbel::OrbelMetrics::symbolFrameWidth);
    row->addWidget(m_symbol, 0, Qt::AlignVCenter);

    m_title = new orbel::TextLabel(title(), this);
    row->addWidget(m_title, 1, Qt::AlignVCenter);

    row->addSpacing(orbel::OrbelMetrics::gapS);

    m_value = new orbel::TextLabel(QString(), this);
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
        QAccessibleValueChangeEvent event(this, orbel::spokenText(valueText()));
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
    const QFont detail = orbel::orbelFont(orbel::OrbelFont::Detail, environment().textSize);
    for (QWidget *part : std::initializer_list<QWidget *>{this, m_symbol, m_title, m_value})
        part->setFont(detail);
    const orbel::ColorScheme scheme = environment().scheme;
    const QColor accent = appBrand().accent(scheme);
    m_symbol->setTint(accent);
    m_switch->setTint(accent);
    m_title->setColor(orbel::BrandPalette::primary(scheme));
    m_value->setColor(orbel::BrandPalette::primary70(scheme));
}

} // namespace pelorin
