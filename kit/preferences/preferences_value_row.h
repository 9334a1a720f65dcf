#pragma once

#include "orbel_environment.h"

#include <QWidget>

namespace orbel {

class TextLabel;

// A read-only line of a preferences card: the title in the secondary colour
// and, at the trailing edge, its value with equal-width digits, at least 8
// apart. At least 32 high; screen readers hear title and value together.
class PreferencesValueRow : public QWidget, public EnvironmentAware {
    Q_OBJECT

public:
    PreferencesValueRow(const QString &title, const QString &value, const OrbelEnvironment &environment,
                        QWidget *parent = nullptr);

    QString title() const;
    QString value() const;
    void setValue(const QString &value);
    TextLabel *titleLabel() const { return m_title; }
    TextLabel *valueLabel() const { return m_value; }

protected:
    void environmentChanged() override;

private:
    void updateAccessibleName();

    TextLabel *m_title;
    TextLabel *m_value;
};

} // namespace orbel
