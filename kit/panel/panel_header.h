#pragma once

#include "binding.h"
#include "orbel_brand.h"
#include "orbel_environment.h"

#include <QWidget>

namespace orbel {

class OrbelSwitch;
class TextLabel;

// The top of the panel: the app icon, the product name over a status dot and
// status line, and the master switch in the brand accent.
class PanelHeader : public QWidget, public EnvironmentAware {
    Q_OBJECT

public:
    PanelHeader(const OrbelBrand &brand, const QString &status, const QColor &dotColor, Binding<bool> isOn,
                bool isSwitchEnabled, const OrbelEnvironment &environment, QWidget *parent = nullptr);

    void setStatus(const QString &status);
    QString status() const;
    TextLabel *statusLabel() const { return m_status; }
    void setDotColor(const QColor &color);
    QColor dotColor() const;
    void setSwitchEnabled(bool enabled);

    OrbelSwitch *masterSwitch() const { return m_switch; }
    QWidget *dot() const { return m_dot; }

protected:
    void environmentChanged() override;

private:
    void updateHelp();

    OrbelBrand m_brand;
    TextLabel *m_name;
    QWidget *m_dot;
    TextLabel *m_status;
    OrbelSwitch *m_switch;
};

} // namespace orbel
