#include "setting_row.h"

#include "brand_palette.h"
#include "orbel_font.h"
#include "orbel_metrics.h"
#include "symbol_view.h"
#include "text_label.h"

#include <QHBoxLayout>

namespace orbel {

namespace {

constexpr int spacing = 8;
constexpr int minimumGap = 8;

} // namespace

SettingRow::SettingRow(const QString &title, const QString &symbol, QWidget *control,
                       const OrbelEnvironment &environment, QWidget *parent)
    : SettingRow(title, symbol, std::nullopt, control, environment, parent)
{
}

SettingRow::SettingRow(const QString &title, const QString &symbol, std::optional<QColor> symbolTint, QWidget *control,
                       const OrbelEnvironment &environment, QWidget *parent)
    : QWidget(parent), EnvironmentAware(environment), m_symbolTint(std::move(symbolTint)),
      m_control(control ? control : new QWidget)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);

    m_icon = new SymbolView(symbol, QColor(), this);
    m_icon->setFrameWidth(OrbelMetrics::symbolFrameWidth);
    layout->addWidget(m_icon, 0, Qt::AlignVCenter);

    m_title = new TextLabel(title, this);
    m_title->setMaxLines(1);
    m_title->setPrefersWholeLine(true);
    // The title gives way first, down to nothing; the control keeps its
    // ideal size.
    m_title->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    m_title->setMinimumWidth(0);
    layout->addWidget(m_title, 1, Qt::AlignVCenter);
    // The spacer stands alone: the layout puts no spacing beside it.
    layout->addSpacing(minimumGap);

    m_control->setParent(this);
    m_control->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    layout->addWidget(m_control, 0, Qt::AlignVCenter);

    setMinimumHeight(OrbelMetrics::settingRowMinHeight);
    environmentChanged();
}

QString SettingRow::title() const
{
    return m_title->text();
}

void SettingRow::environmentChanged()
{
    setFont(textStyleFont(TextStyle::Body, environment().textSize));
    const ColorScheme scheme = environment().scheme;
    m_icon->setTint(m_symbolTint.value_or(BrandPalette::primary70(scheme)));
    m_title->setColor(BrandPalette::primary(scheme));
}

} // namespace orbel
