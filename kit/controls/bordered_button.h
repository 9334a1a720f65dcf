#pragma once

#include "orbel_environment.h"

#include <QAbstractButton>

namespace orbel {

class HoverTracker;

// A push button on a soft primary-colour bezel, in three control sizes, with a
// rounded or capsule outline and an optional symbol before its title. The title
// uses the widget's font, so callers set the text role with setFont().
class BorderedButton : public QAbstractButton, public EnvironmentAware {
    Q_OBJECT

public:
    enum class ControlSize { Small, Regular, Large };
    enum class BorderShape { RoundedRect, Capsule };

    BorderedButton(const QString &title, const OrbelEnvironment &environment, QWidget *parent = nullptr);

    void setSymbol(const QString &symbol);
    const QString &symbol() const { return m_symbol; }
    void setControlSize(ControlSize size);
    ControlSize controlSize() const { return m_size; }
    void setBorderShape(BorderShape shape);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void environmentChanged() override { update(); }

private:
    int controlHeight() const;
    int horizontalPadding() const;
    int symbolSide() const;

    QString m_symbol;
    ControlSize m_size = ControlSize::Regular;
    BorderShape m_shape = BorderShape::RoundedRect;
    HoverTracker *m_hover = nullptr;
};

} // namespace orbel
