#pragma once

#include "orbel_environment.h"

#include <QWidget>

class QPainter;
class QVBoxLayout;

namespace orbel {

// A group of panel content: its children stacked with the given spacing,
// 12 pixels of padding, on a faint primary-colour fill with 16-pixel corners.
// It takes the full width it is offered.
class PanelCard : public QWidget, public EnvironmentAware {
    Q_OBJECT

public:
    PanelCard(int spacing, const OrbelEnvironment &environment, QWidget *parent = nullptr);

    QVBoxLayout *contentLayout() const { return m_layout; }
    void addWidget(QWidget *widget, Qt::Alignment alignment = {});

protected:
    void paintEvent(QPaintEvent *event) override;
    void environmentChanged() override { update(); }
    virtual void paintBackground(QPainter &painter, const QRectF &rect);

private:
    QVBoxLayout *m_layout;
};

} // namespace orbel
