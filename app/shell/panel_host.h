#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QRect>
#include <QWidget>

namespace pelorin {

// The window the tray icon opens: a frameless tool window that drops down
// from the icon and closes when it loses focus or on Escape. (A Qt::Popup
// would be left out of the accessibility tree, so screen readers could not
// reach the panel.)
class PanelHost : public QWidget {
    Q_OBJECT
public:
    enum class Style {
        dropDown,           // X11 with a tray: placed under the icon.
        placedByCompositor, // Wayland with a tray: an ordinary window the compositor places.
        standalone,         // No tray at all: an ordinary window that stays until closed.
    };

    explicit PanelHost(Style style, QWidget *parent = nullptr);

    Style style() const { return m_style; }
    void setContent(QWidget *content);
    QWidget *content() const { return m_content; }

    // Shows the panel below (or above) `anchor`, the tray icon's geometry in
    // global coordinates; an empty anchor places it at the pointer.
    void open(const QRect &anchor);
    // The tray icon's click. A click on the icon first takes the focus from
    // an open panel, which closes it; a toggle that follows such a close
    // within `focusLossGuardMs` leaves the panel closed instead of opening it
    // again.
    void toggle(const QRect &anchor);
    bool isOpen() const { return m_open; }
    static constexpr int focusLossGuardMs = 400;

    // Where a panel of `size` goes for an anchor on a screen whose available
    // area is `available`: under the anchor (or above it near the bottom
    // edge), kept inside the available area.
    static QPoint placement(const QSize &size, const QRect &anchor, const QPoint &pointer, const QRect &available);

    // The edge of an open drop-down panel that stays put while the panel
    // changes size: the one that faces the tray icon.
    enum class AnchoredEdge { top, bottom };
    // Where a panel that was at `before` goes once it is `size`: its anchored
    // edge where it was, the whole panel pushed back inside `available`
    // (the top edge wins when the panel is taller than the area).
    static QPoint resizedPlacement(const QRect &before, const QSize &size, AnchoredEdge edge, const QRect &available);

Q_SIGNALS:
    // Once per opening and once per closing.
    void appeared();
    void disappeared();
    // The standalone window was closed by the user.
    void closeRequested();

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    Style m_style;
    QPointer<QWidget> m_content;
    bool m_open = false;
    AnchoredEdge m_anchoredEdge = AnchoredEdge::top;
    QElapsedTimer m_closedByFocusLoss;
};

} // namespace pelorin
