#include "open_at_login_row.h"

#include "accessibility_hidden.h"
#include "login_item.h"
#include "orbel_switch.h"
#include "text_label.h"

#include <QPointer>

namespace orbel {

OpenAtLoginRow::OpenAtLoginRow(const QColor &color, const OrbelEnvironment &environment, QWidget *parent)
    : OpenAtLoginRow(LoginItem::shared(), color, environment, parent)
{
}

OpenAtLoginRow::OpenAtLoginRow(LoginItem &item, const QColor &color, const OrbelEnvironment &environment,
                               QWidget *parent)
    : SettingRow(tr("Open at Login"), QStringLiteral("arrow.up.forward.app"),
                 new OrbelSwitch(tr("Open at Login"), environment), environment, parent)
{
    m_switch = static_cast<OrbelSwitch *>(control());
    m_switch->setControlSize(OrbelSwitch::ControlSize::Small);
    m_switch->setTint(color);
    m_switch->setBinding({[item = QPointer<LoginItem>(&item)] { return item && item->isEnabled(); },
                          [item = QPointer<LoginItem>(&item)](bool on) {
                              if (item)
                                  item->setEnabled(on);
                          }});
    // The switch carries the title as its name; the visible title would only
    // repeat it.
    setAccessibilityHidden(titleLabel());
    connect(&item, &LoginItem::enabledChanged, m_switch, &OrbelSwitch::syncFromBinding);
}

} // namespace orbel
