#pragma once

#include "orbel_environment.h"
#include "orbel_font.h"

#include <QAbstractButton>

#include <optional>

class QPainter;

namespace orbel {

class HoverTracker;

// A push button on a soft primary-colour bezel, in three control sizes, with a
// rounded or capsule outline and an optional symbol before its title. The title
// is set in a text role (the desktop's body style unless another is chosen), at
// the environment's text size. A button too narrow for its title shortens it,
// unless it wraps (see setWraps()).
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
    void setTextRole(OrbelFont role);
    // Whether a title too long for the width it gets wraps between its
    // words, the bezel growing to hold the lines, instead of being shortened.
    // A wrapping button asks for less than its one-line width only as a
    // minimum; a word too long for a line of its own makes the title smaller.
    void setWraps(bool wraps);
    bool wraps() const { return m_wraps; }
    // The font the title is drawn in at `width`.
    QFont titleFont(int width) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return m_wraps; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void environmentChanged() override;

private:
    int controlHeight() const;
    int horizontalPadding() const;
    int symbolSide() const;
    // The room the title has in a button `width` wide.
    int titleRoom(int width) const;
    int verticalPadding() const;
    // Draws the title in lines, centred, with the symbol before them.
    void paintWrapped(QPainter &painter, const QFont &font, const QColor &ink, int side, int gap) const;

    QString m_symbol;
    ControlSize m_size = ControlSize::Regular;
    BorderShape m_shape = BorderShape::RoundedRect;
    std::optional<OrbelFont> m_role;
    bool m_wraps = false;
    struct Fit {
        QString text;
        QFont font;
        int room = -1;
        QFont fitted;
    };
    mutable Fit m_fit;
    HoverTracker *m_hover = nullptr;
};

} // namespace orbel
