#pragma once

#include "orbel_environment.h"

#include <QWidget>

#include <functional>

class QLabel;

namespace orbel {

class BorderedButton;
class TextLabel;

// One permission on a single-page welcome: a badge, then the permission's
// title (with "Optional" beside it, on the same baseline, when it may be
// skipped) and message, and while not granted a small button that asks for
// it. The badge is the row's number in a circle, in the caller's colour,
// until the permission is granted; then a green check. Screen readers hear
// the badge as "Not allowed yet" or "Allowed". The badge cross-fades when the
// state flips, unless the environment asks for reduced motion.
class PermissionRow : public QWidget, public EnvironmentAware {
    Q_OBJECT

public:
    PermissionRow(int number, bool isGranted, bool isOptional, const QString &title, const QString &message,
                  const QString &action, const QColor &color, std::function<void()> perform,
                  const OrbelEnvironment &environment, QWidget *parent = nullptr);

    int number() const { return m_number; }
    bool isGranted() const { return m_isGranted; }
    void setGranted(bool granted);

    QString badgeSymbol() const;
    QColor badgeColor() const;
    QWidget *badge() const { return m_badge; }
    TextLabel *titleLabel() const { return m_title; }
    // Hidden while the permission is granted.
    BorderedButton *actionButton() const { return m_action; }

protected:
    void environmentChanged() override;

private:
    void showState(bool animated);

    int m_number;
    bool m_isGranted;
    QColor m_color;
    QWidget *m_badge;
    TextLabel *m_title;
    QLabel *m_optional = nullptr;
    TextLabel *m_message;
    BorderedButton *m_action;
};

} // namespace orbel
