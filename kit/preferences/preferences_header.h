#pragma once

#include "orbel_environment.h"

#include <QWidget>

namespace orbel {

class AppIcon;
class TextLabel;

// The heading row of the preferences-style pages: the application icon
// (48 pixels, when shown) and a large bold title that wraps rather than being
// cut off, 12 apart and centred on each other. It stands at least 48 high and
// reads to screen readers as a heading.
class PreferencesHeader : public QWidget, public EnvironmentAware {
    Q_OBJECT

public:
    PreferencesHeader(const QString &title, bool showsIcon, const OrbelEnvironment &environment,
                      QWidget *parent = nullptr);

    QString title() const;
    void setTitle(const QString &title);
    bool showsIcon() const { return m_icon != nullptr; }
    AppIcon *icon() const { return m_icon; }
    TextLabel *titleLabel() const { return m_title; }

protected:
    void environmentChanged() override;

private:
    AppIcon *m_icon = nullptr;
    TextLabel *m_title;
};

} // namespace orbel
