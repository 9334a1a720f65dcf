#pragma once

#include <QWidget>

namespace orbel {

// The application's own icon (its window icon), stretched to a square of
// `side` pixels. Screen readers skip it. Without an icon it draws a plain
// rounded tile so that layouts keep their shape.
class AppIcon : public QWidget {
    Q_OBJECT

public:
    explicit AppIcon(int side, QWidget *parent = nullptr);

    int side() const { return m_side; }
    QSize sizeHint() const override { return {m_side, m_side}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_side;
};

} // namespace orbel
