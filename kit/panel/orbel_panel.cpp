#include "orbel_panel.h"

#include "brand_background.h"
#include "brand_palette.h"
#include "login_item.h"
#include "orbel_metrics.h"
#include "orbel_switch.h"
#include "panel_footer.h"
#include "panel_header.h"

#include <QPainter>
#include <QVBoxLayout>

#include <utility>

namespace orbel {

QColor panelStatusColor(PanelStatus status, ColorScheme scheme)
{
    switch (status) {
    case PanelStatus::Working:
        return PrivacyGreen::color(scheme);
    case PanelStatus::Off:
        return BrandPalette::primary70(scheme);
    case PanelStatus::Attention:
        return BrandPalette::attention(scheme);
    case PanelStatus::Recording:
        return BrandPalette::red(scheme);
    }
    return BrandPalette::primary70(scheme);
}

OrbelPanel::Setup OrbelPanel::Setup::withDotColor(OrbelBrand brand, QString status, QColor dotColor, Binding<bool> isOn,
                                                  QString privacy, QString privacySymbol,
                                                  std::function<void()> showGuide)
{
    return Setup{
        .brand = std::move(brand),
        .status = std::move(status),
        .dot = dotColor,
        .isOn = std::move(isOn),
        .privacy = std::move(privacy),
        .privacySymbol = std::move(privacySymbol),
        .showGuide = std::move(showGuide),
        .showPreferences = {},
        .preferencesFocusChanged = {},
        .refreshLoginItemOnAppear = true,
        .isSwitchEnabled = true,
        .quit = {},
    };
}

OrbelPanel::OrbelPanel(Setup setup, QWidget *content, const OrbelEnvironment &environment, QWidget *parent)
    : QWidget(parent), EnvironmentAware(environment), m_brand(setup.brand), m_dot(setup.dot),
      m_refreshLoginItemOnAppear(setup.refreshLoginItemOnAppear), m_content(content)
{
    const OrbelEnvironment inner = childEnvironment();

    auto *stack = new QVBoxLayout(this);
    stack->setContentsMargins(OrbelMetrics::panelPadding, OrbelMetrics::panelPadding, OrbelMetrics::panelPadding,
                              OrbelMetrics::panelPadding);
    stack->setSpacing(OrbelMetrics::gapL);

    m_header =
        new PanelHeader(m_brand, setup.status, dotColor(), std::move(setup.isOn), setup.isSwitchEnabled, inner, this);
    stack->addWidget(m_header);
    if (m_content) {
        m_content->setParent(this);
        stack->addWidget(m_content);
    }
    m_footer = new PanelFooter(m_brand, setup.privacy, setup.privacySymbol, std::move(setup.showGuide),
                               std::move(setup.showPreferences), std::move(setup.preferencesFocusChanged), inner, this);
    if (setup.quit)
        m_footer->setQuitAction(std::move(setup.quit));
    stack->addWidget(m_footer);

    // The width is fixed in logical pixels; the height follows the content,
    // which sizeHint() reports, rather than the sum of every part's minimum.
    stack->setSizeConstraint(QLayout::SetNoConstraint);
    setFixedWidth(OrbelMetrics::panelWidth);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    propagateEnvironment(this, inner);
}

QSize OrbelPanel::sizeHint() const
{
    return {OrbelMetrics::panelWidth, heightForWidth(OrbelMetrics::panelWidth)};
}

void OrbelPanel::setStatus(const QString &status)
{
    m_header->setStatus(status);
}

void OrbelPanel::setDot(const Dot &dot)
{
    const bool hadStatusDot = hasStatusDot();
    m_dot = dot;
    m_header->setDotColor(dotColor());
    // The background and the content's tint depend on the kind of dot.
    if (hadStatusDot != hasStatusDot()) {
        propagateEnvironment(this, childEnvironment());
        update();
    }
}

QColor OrbelPanel::dotColor() const
{
    if (const auto *status = std::get_if<PanelStatus>(&m_dot))
        return panelStatusColor(*status, environment().scheme);
    return std::get<QColor>(m_dot);
}

void OrbelPanel::setSwitchEnabled(bool enabled)
{
    m_header->setSwitchEnabled(enabled);
}

void OrbelPanel::syncSwitch()
{
    m_header->masterSwitch()->syncFromBinding();
}

OrbelEnvironment OrbelPanel::childEnvironment() const
{
    OrbelEnvironment inner = environment();
    inner.tint = hasStatusDot() ? std::optional<QColor>(m_brand.accent(inner.scheme)) : std::nullopt;
    return inner;
}

void OrbelPanel::environmentChanged()
{
    m_header->setDotColor(dotColor());
    update();
}

void OrbelPanel::paintEvent(QPaintEvent *)
{
    if (!hasStatusDot())
        return;
    QPainter painter(this);
    BrandBackground::paint(painter, rect(), m_brand.color(), environment().scheme);
}

void OrbelPanel::showEvent(QShowEvent *event)
{
    if (m_refreshLoginItemOnAppear)
        LoginItem::shared().refresh();
    QWidget::showEvent(event);
}

} // namespace orbel
