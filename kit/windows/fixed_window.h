// A window of fixed size that follows the size its content asks for.
#pragma once

#include <QObject>
#include <QPointer>
#include <QSizeF>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QWidget;

namespace orbel {

// How hosted content tells its window the size it would like. The host
// decides what to make of it (rounding, the screen's limits, coalescing).
struct FixedWindowSizeReport {
    std::function<void(QSizeF)> report;

    void operator()(QSizeF size) const
    {
        if (report)
            report(size);
    }
};

// The size report of the fixed window that hosts `widget` (found by walking up
// its parents), or nothing when the widget is not inside one: content drawn
// on its own, for a snapshot say, simply has nobody to tell.
std::optional<FixedWindowSizeReport> fixedWindowSizeReport(const QWidget *widget);

// Centres a top-level window on the visible area of the screen under the
// pointer (else the primary screen), at whole-pixel coordinates.
void centerOnActiveScreen(QWidget *window);

// Shows a top-level window in front of the others, with the keyboard focus.
// On Wayland a program cannot raise its own window (a compositor may answer
// with no more than an urgency hint), so a window already shown is unmapped
// and mapped again, which the compositor treats as a new window; elsewhere
// it is raised and activated.
void bringForward(QWidget *window);

// Hosts one piece of content in one top-level window, built on first use and
// kept for the life of the object: closing only hides it. The user cannot
// resize the window; its size follows the size the content reports, rounded
// and clamped to the screen, keeping either its top edge or its vertical
// centre. Main thread only.
class FixedWindow : public QObject {
    Q_OBJECT

public:
    // Fixed at creation. `closesWithCommandW`: Ctrl+W (Command-W elsewhere)
    // closes the window. `anchorsTop`: the top edge stays put while the window
    // grows or shrinks, else the vertical centre does. `scrollsContent`: the
    // content sits at its ideal size in a vertical scroll area and is measured
    // by the host; otherwise it fills the window and reports its own size
    // through fixedWindowSizeReport().
    struct Options {
        bool closesWithCommandW = false;
        bool anchorsTop = false;
        bool scrollsContent = false;
    };

    using Action = std::function<void()>;
    // Builds the content once; the host takes ownership.
    using Content = std::function<std::unique_ptr<QWidget>()>;

    explicit FixedWindow(Options options, QObject *parent = nullptr);
    ~FixedWindow() override;

    // Shows the window, building it if needed. A hidden window is sized (when
    // its content size is known) and centred on the screen under the pointer
    // first, and opens with no control focused; a visible one is only raised
    // and activated.
    void show(const QString &title, Action onClose, qreal width, const Content &content);

    // Returns the window, building it if needed, without showing it. `onClose`
    // always replaces the previous one; the title, width and content of any
    // call after the first are ignored.
    QWidget *window(const QString &title, Action onClose, qreal width, const Content &content);

    // The window if it has been built.
    QWidget *window() const;

    // Called by the content when its ideal size changes. Sizes that are not
    // finite and positive are ignored; reports made before the event loop
    // turns are applied as one resize to the latest size.
    void report(QSizeF size);

    // Applies a content size to the window frame now.
    void resize(QSizeF size);

    // A report action bound to this host, held weakly.
    FixedWindowSizeReport sizeReport();

    // The last accepted content size; it survives closing the window.
    std::optional<QSizeF> contentSize() const { return m_contentSize; }
    Options options() const { return m_options; }

    // Whether the scrolled-content band appears without a fade.
    void setReduceMotion(bool reduceMotion);

private:
    void screenChanged();

    const Options m_options;
    QPointer<QWidget> m_window;
    Action m_onClose;
    std::optional<QSizeF> m_contentSize;
    bool m_resizePending = false;
    bool m_centersAfterResize = false;
    bool m_reduceMotion = false;
};

} // namespace orbel
