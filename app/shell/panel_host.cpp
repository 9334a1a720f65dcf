#include "panel_host.h"

#include "fixed_window.h"

#include <QAccessible>
#include <QAccessibleWidget>

#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QResizeEvent>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace pelorin {

namespace {

// Screen readers see the panel as a window (a plain top-level widget would
// read as a filler).
QAccessibleInterface *panelHostFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("pelorin::PanelHost") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Window);
    return nullptr;
}

} // namespace

PanelHost::PanelHost(Style style, QWidget *parent) : QWidget(parent), m_style(style)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(panelHostFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);

    applyStyle();
    setWindowTitle(QStringLiteral("Pelorin"));
    setAccessibleName(QStringLiteral("Pelorin"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void PanelHost::applyStyle()
{
    // A window with a title and a close button, and no minimise or maximise
    // button, where the platform decorates it.
    if (m_style == Style::dropDown)
        setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    else
        setWindowFlags(Qt::Window | Qt::WindowCloseButtonHint | Qt::WindowTitleHint | Qt::CustomizeWindowHint);
}

void PanelHost::setStyle(Style style)
{
    if (style == m_style)
        return;
    hide();
    m_style = style;
    applyStyle();
}

void PanelHost::setContent(QWidget *content)
{
    if (m_content)
        m_content->deleteLater();
    m_content = content;
    if (content)
        layout()->addWidget(content);
}

QPoint PanelHost::placement(const QSize &size, const QRect &anchor, const QPoint &pointer, const QRect &available)
{
    QPoint origin;
    if (anchor.isValid() && !anchor.isEmpty()) {
        origin = QPoint(anchor.center().x() - size.width() / 2, anchor.bottom() + 1);
        // A panel at the bottom of the screen opens upwards.
        if (origin.y() + size.height() > available.bottom() + 1)
            origin.setY(anchor.top() - size.height());
    } else {
        origin = QPoint(pointer.x() - size.width() / 2, pointer.y());
        if (origin.y() + size.height() > available.bottom() + 1)
            origin.setY(pointer.y() - size.height());
    }
    origin.setX(
        std::clamp(origin.x(), available.left(), std::max(available.left(), available.right() + 1 - size.width())));
    origin.setY(
        std::clamp(origin.y(), available.top(), std::max(available.top(), available.bottom() + 1 - size.height())));
    return origin;
}

QPoint PanelHost::resizedPlacement(const QRect &before, const QSize &size, AnchoredEdge edge, const QRect &available)
{
    QPoint origin(before.left(), edge == AnchoredEdge::bottom ? before.bottom() + 1 - size.height() : before.top());
    origin.setX(
        std::clamp(origin.x(), available.left(), std::max(available.left(), available.right() + 1 - size.width())));
    origin.setY(
        std::clamp(origin.y(), available.top(), std::max(available.top(), available.bottom() + 1 - size.height())));
    return origin;
}

void PanelHost::open(const QRect &anchor)
{
    if (m_open && isVisible()) {
        // A panel by the tray hides as it loses the focus, so it is only
        // raised; the window without a tray comes forward as any other.
        if (m_style != Style::standalone) {
            raise();
            activateWindow();
            return;
        }
        m_comingForward = true;
        orbel::bringForward(this);
        m_comingForward = false;
        return;
    }
    adjustSize();
    if (m_style == Style::dropDown) {
        const QPoint pointer = QCursor::pos();
        const QPoint probe = anchor.isValid() ? anchor.center() : pointer;
        QScreen *screen = QGuiApplication::screenAt(probe);
        if (!screen)
            screen = QGuiApplication::primaryScreen();
        if (screen) {
            const QPoint origin = placement(size(), anchor, pointer, screen->availableGeometry());
            // Opened upwards (a tray at the bottom of the screen), the panel
            // keeps its bottom edge by the icon as it grows or shrinks.
            m_anchoredEdge = origin.y() < probe.y() ? AnchoredEdge::bottom : AnchoredEdge::top;
            move(origin);
        }
    }
    // The window itself takes the keyboard focus, not its first control, so
    // a stray Space or Return changes nothing; Tab reaches the controls.
    setFocus(Qt::ActiveWindowFocusReason);
    show();
    raise();
    activateWindow();
}

void PanelHost::toggle(const QRect &anchor)
{
    if (m_open) {
        hide();
        return;
    }
    const bool justLostFocus = m_closedByFocusLoss.isValid() && m_closedByFocusLoss.elapsed() < focusLossGuardMs;
    m_closedByFocusLoss.invalidate();
    if (!justLostFocus)
        open(anchor);
}

bool PanelHost::event(QEvent *event)
{
    if (event->type() == QEvent::WindowDeactivate && m_style != Style::standalone && m_open) {
        m_closedByFocusLoss.start();
        hide();
    }
    return QWidget::event(event);
}

void PanelHost::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && m_style != Style::standalone) {
        hide();
        return;
    }
    QWidget::keyPressEvent(event);
}

void PanelHost::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // (Qt announces a hidden window that is no longer minimised as shown.)
    if (!m_open && !m_comingForward && isVisible()) {
        m_open = true;
        Q_EMIT appeared();
    }
}

void PanelHost::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (m_open && !m_comingForward) {
        m_open = false;
        Q_EMIT disappeared();
    }
}

void PanelHost::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // The content grew or shrank while open (a notice appeared, a session
    // started): the edge by the tray icon stays where it is, and the panel
    // stays inside the screen's available area.
    if (m_style != Style::dropDown || !m_open || !event->oldSize().isValid())
        return;
    QScreen *screen = this->screen();
    if (!screen)
        return;
    const QRect before(pos(), event->oldSize());
    const QPoint origin = resizedPlacement(before, size(), m_anchoredEdge, screen->availableGeometry());
    if (origin != pos())
        move(origin);
}

void PanelHost::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // The window has no minimise or maximise button of its own, but Qt
    // Wayland's decorations (on compositors that leave them to the program,
    // such as weston and GNOME) draw both whatever its flags say, and a
    // desktop's keys may do the same. Minimised, the only window could be
    // gone for good (weston has no way back), so it comes straight back;
    // maximised, it returns to its own size.
    if (event->type() != QEvent::WindowStateChange || m_style != Style::standalone)
        return;
    const Qt::WindowStates states = windowState();
    if (!(states & (Qt::WindowMinimized | Qt::WindowMaximized)))
        return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            const Qt::WindowStates now = windowState();
            setWindowState(now & ~(Qt::WindowMinimized | Qt::WindowMaximized));
            // A tray took over meanwhile: the hidden panel waits for its icon.
            if ((now & Qt::WindowMinimized) && m_style == Style::standalone) {
                // A minimised toplevel cannot be restored by its program; a
                // new one takes its place.
                m_comingForward = true;
                orbel::bringForward(this);
                m_comingForward = false;
            }
        },
        Qt::QueuedConnection);
}

void PanelHost::closeEvent(QCloseEvent *event)
{
    // Pelorin hides the panel itself, never closes it: a close comes from
    // the desktop, spontaneous on X11, through QWindow::close() on Wayland.
    // Without a tray it would leave nothing of Pelorin on the desktop, so it
    // is a quit.
    if (m_style == Style::standalone)
        Q_EMIT closeRequested();
    QWidget::closeEvent(event);
}

} // namespace pelorin
