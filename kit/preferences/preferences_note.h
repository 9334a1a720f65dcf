#pragma once

#include "orbel_environment.h"

#include <QWidget>

namespace orbel {

class TextLabel;

// An explanation in a preferences card: text in the secondary colour that
// wraps across the full width, with 8 of room below it.
class PreferencesNote : public QWidget, public EnvironmentAware {
    Q_OBJECT

public:
    PreferencesNote(const QString &text, const OrbelEnvironment &environment, QWidget *parent = nullptr);

    QString text() const;
    void setText(const QString &text);
    TextLabel *label() const { return m_label; }

protected:
    void environmentChanged() override;

private:
    TextLabel *m_label;
};

} // namespace orbel
