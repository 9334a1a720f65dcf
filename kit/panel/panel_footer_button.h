#pragma once

#include "orbel_environment.h"

#include <QAbstractButton>

#include <functional>

namespace orbel {

class HoverTracker;

// A round footer button: a symbol on a faint circle, 32 across (more at the
// largest text sizes, where the symbol grows), that darkens under the
// pointer. Its title is its tooltip and its name for screen readers. It tells
// `focusChanged` each time keyboard focus enters or leaves it, and once more
// (false) whenever it disappears.
class PanelFooterButton : public QAbstractButton, public EnvironmentAware {
    Q_OBJECT

public:
    PanelFooterButton(const QString &title, const QString &symbol, const OrbelEnvironment &environment,
                      QWidget *parent = nullptr);

    const QString &symbol() const { return m_symbol; }
    void setFocusChanged(std::function<void(bool)> callback);
    bool isHovered() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    bool hitButton(const QPoint &pos) const override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void environmentChanged() override;

private:
    void setFocused(bool focused);

    QString m_symbol;
    std::function<void(bool)> m_focusChanged;
    HoverTracker *m_hover = nullptr;
    bool m_focused = false;
};

} // namespace orbel
