#pragma once

#include "setting_row.h"

namespace orbel {

// A panel row like SettingRow whose symbol wears the caller's colour and
// whose trailing end holds any widget (a value, a button, a chevron).
class ActionRow : public SettingRow {
    Q_OBJECT

public:
    // Takes ownership of `trailing`.
    ActionRow(const QString &title, const QString &symbol, const QColor &color, QWidget *trailing,
              const OrbelEnvironment &environment, QWidget *parent = nullptr);

    QWidget *trailing() const { return control(); }
};

} // namespace orbel
