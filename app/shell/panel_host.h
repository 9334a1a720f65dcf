#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QRect>
#include <QWidget>

namespace pelorin {

// The panel's window. With a tray icon it is what the icon opens: on X11 a
// frameless tool window that drops down from the icon, on Wayland a window
// the compositor places; either hides when it loses focus or on Escape.
// Without a tray it is an ordinary window, Pelorin's only presence, and
// closing it quits. (A Qt::Popup would be left out of the accessibility tree,
// so screen readers could not reach the panel.)
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
    // A tray that comes or goes changes the style; the window is hidden on
    // the way.
    void setStyle(Style style);
    void setContent(QWidget *content);
    QWidget *content() const { return m_content; }

    // Shows the panel below (or above) `anchor`, the tray icon's geometry in
    // global coordinates; an empty anchor places it at the pointer. An open
    // panel comes forward.
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
    // The standalone window was closed, whatever way the platform delivered
    // the close.
    void closeRequested();

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void applyStyle();

    Style m_style;
    // While an open panel is shown again to come forward: no closing and
    // opening to announce.
    bool m_comingForward = false;
    QPointer<QWidget> m_content;
    bool m_open = false;
    AnchoredEdge m_anchoredEdge = AnchoredEdge::top;
    QElapsedTimer m_closedByFocusLoss;
};

} // namespace pelorin
