#include "fixed_window.h"

#include <QCloseEvent>
#include <QCursor>
#include <QEasingCurve>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLayout>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QVariantAnimation>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace orbel {

namespace {

// The window is never taller than the visible area less this, so it never
// fills the screen from edge to edge.
constexpr int screenHeadroom = 64;
// Heights go up in steps of this, so a content that wobbles by a pixel or two
// does not make the window twitch.
constexpr int heightStep = 4;
constexpr int initialHeight = 480;
constexpr int scrolledBandHeight = 28;
constexpr int scrolledFadeMs = 150;

// A text field (or anything else taking typed text) holds the focus: closing
// or Escape first ends that edit, as leaving the field would.
bool isEditingText(const QWidget *focus)
{
    return focus && focus->testAttribute(Qt::WA_InputMethodEnabled);
}

QMargins frameMarginsOf(const QWidget *window)
{
    const QRect frame = window->frameGeometry();
    const QRect client = window->geometry();
    return {client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
            frame.bottom() - client.bottom()};
}

// A titled, closable window the user cannot resize, minimise or maximise. It
// is only hidden when closed, and closing it never quits the application.
class FixedNativeWindow final : public QWidget {
public:
    explicit FixedNativeWindow(bool closesWithCommandW)
        : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    {
        setAttribute(Qt::WA_QuitOnClose, false);
        if (closesWithCommandW) {
            // A window-wide shortcut is seen before the focused control gets
            // the key, and matches Ctrl+W exactly: Shift or Alt with it is
            // another key.
            auto *shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_W), this);
            shortcut->setContext(Qt::WindowShortcut);
            QObject::connect(shortcut, &QShortcut::activated, this, &QWidget::close);
        }
    }

    void setRoot(QWidget *root)
    {
        m_root = root;
        m_root->setGeometry(rect());
    }
    QWidget *root() const { return m_root; }

    std::function<void()> onClose;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        // Escape reaches the window only when no control wanted it.
        if (!event->matches(QKeySequence::Cancel)) {
            QWidget::keyPressEvent(event);
            return;
        }
        event->accept();
        QWidget *focus = focusWidget();
        if (isEditingText(focus)) {
            focus->clearFocus();
            if (!focusWidget())
                return;
        }
        close();
    }

    void closeEvent(QCloseEvent *event) override
    {
        // Leaving the field commits what was typed before the window goes.
        if (QWidget *focus = focusWidget(); isEditingText(focus))
            focus->clearFocus();
        event->accept();
        if (onClose)
            onClose();
    }

    void resizeEvent(QResizeEvent *event) override
    {
        if (m_root)
            m_root->setGeometry(rect());
        QWidget::resizeEvent(event);
    }

private:
    QWidget *m_root = nullptr;
};

// The translucent band that appears over the top of scrolled content, so the
// title bar does not seem to cut through it.
class ScrolledBand final : public QWidget {
public:
    ScrolledBand(const QWidget *paletteSource, QWidget *parent) : QWidget(parent), m_paletteSource(paletteSource)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
        setObjectName(QStringLiteral("scrolledBand"));
        hide();
    }

    void setOpacity(qreal opacity)
    {
        m_opacity = opacity;
        setVisible(opacity > 0);
        update();
    }
    qreal opacity() const { return m_opacity; }

protected:
    void paintEvent(QPaintEvent *) override
    {
        // The content's palette carries its colour scheme.
        const QPalette &palette = m_paletteSource->palette();
        QColor fill = palette.color(QPalette::Window);
        fill.setAlphaF(0.9f);
        QColor separator = palette.color(QPalette::WindowText);
        separator.setAlphaF(0.1f);
        QPainter painter(this);
        painter.setOpacity(m_opacity);
        painter.fillRect(rect(), fill);
        painter.fillRect(QRect(0, height() - 1, width(), 1), separator);
    }

private:
    const QWidget *m_paletteSource;
    qreal m_opacity = 0;
};

// What the window holds: the caller's content either filling the window at
// its first width and telling the host its size itself, or sitting at its
// ideal size in a vertical scroll area and measured here.
class FixedWindowContent final : public QWidget {
public:
    FixedWindowContent(std::unique_ptr<QWidget> content, int initialWidth, bool scrolls,
                       std::function<void(QSizeF)> resize, QWidget *parent)
        : QWidget(parent), m_content(content.release()), m_initialWidth(initialWidth), m_scrolls(scrolls),
          m_resize(std::move(resize))
    {
        if (!m_scrolls) {
            m_content->setParent(this);
            return;
        }
        m_scrollArea = new QScrollArea(this);
        m_scrollArea->setFrameShape(QFrame::NoFrame);
        m_scrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        m_scrollArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        m_scrollArea->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        // Not a stop of its own in the key loop: Tab goes straight to the
        // content's controls.
        m_scrollArea->setFocusPolicy(Qt::NoFocus);
        m_scrollArea->setWidgetResizable(false);
        // The scroll area would make the content fill its background; the
        // content knows best how it wants to be drawn.
        const bool autoFill = m_content->autoFillBackground();
        m_scrollArea->setWidget(m_content);
        m_content->setAutoFillBackground(autoFill);
        m_content->installEventFilter(this);
        m_scrollArea->viewport()->installEventFilter(this);

        m_band = new ScrolledBand(m_content, this);
        m_fade.setDuration(scrolledFadeMs);
        QEasingCurve easeOut(QEasingCurve::BezierSpline);
        easeOut.addCubicBezierSegment(QPointF(0, 0), QPointF(0.58, 1), QPointF(1, 1));
        m_fade.setEasingCurve(easeOut);
        QObject::connect(&m_fade, &QVariantAnimation::valueChanged, m_band,
                         [band = m_band](const QVariant &value) { band->setOpacity(value.toReal()); });
        QObject::connect(m_scrollArea->verticalScrollBar(), &QScrollBar::valueChanged, this,
                         [this](int offset) { setScrolled(offset > 1); });
        measure();
    }

    // Only content that fills the window reports its own size.
    std::optional<FixedWindowSizeReport> sizeReport() const
    {
        if (m_scrolls)
            return std::nullopt;
        return FixedWindowSizeReport{m_resize};
    }

    void setReduceMotion(bool reduceMotion) { m_reduceMotion = reduceMotion; }

protected:
    void resizeEvent(QResizeEvent *event) override
    {
        if (m_scrolls) {
            m_scrollArea->setGeometry(rect());
            m_band->setGeometry(0, 0, width(), scrolledBandHeight);
        } else {
            // A frame of the first width, as tall as the window, its top at
            // the window's top.
            const int x = static_cast<int>(std::round((width() - m_initialWidth) / 2.0));
            m_content->setGeometry(x, 0, m_initialWidth, height());
        }
        QWidget::resizeEvent(event);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::LayoutRequest)
            measure();
        return QWidget::eventFilter(watched, event);
    }

private:
    // The content's ideal size, within its own limits.
    void measure()
    {
        m_content->ensurePolished();
        const QSize hint = m_content->sizeHint();
        const QSize minimum = m_content->minimumSize();
        const QSize maximum = m_content->maximumSize();
        const int width = std::clamp(hint.width() >= 0 ? hint.width() : m_content->width(), minimum.width(),
                                     std::max(minimum.width(), maximum.width()));
        int height = m_content->hasHeightForWidth() ? m_content->heightForWidth(width) : -1;
        if (height < 0)
            height = hint.height() >= 0 ? hint.height() : m_content->height();
        height = std::clamp(height, minimum.height(), std::max(minimum.height(), maximum.height()));
        const QSize measured(width, height);
        if (width <= 0 || measured == m_measured)
            return;
        m_measured = measured;
        m_content->resize(measured);
        m_resize(QSizeF(measured));
    }

    void setScrolled(bool scrolled)
    {
        if (scrolled == m_isScrolled)
            return;
        m_isScrolled = scrolled;
        const qreal target = scrolled ? 1 : 0;
        m_fade.stop();
        if (m_reduceMotion) {
            m_band->setOpacity(target);
            return;
        }
        m_fade.setStartValue(m_band->opacity());
        m_fade.setEndValue(target);
        m_fade.start();
    }

    QWidget *m_content;
    const int m_initialWidth;
    const bool m_scrolls;
    const std::function<void(QSizeF)> m_resize;
    QSize m_measured;
    bool m_isScrolled = false;
    bool m_reduceMotion = false;
    QScrollArea *m_scrollArea = nullptr;
    ScrolledBand *m_band = nullptr;
    QVariantAnimation m_fade;
};

} // namespace

std::optional<FixedWindowSizeReport> fixedWindowSizeReport(const QWidget *widget)
{
    for (const QWidget *w = widget; w; w = w->parentWidget()) {
        if (const auto *root = dynamic_cast<const FixedWindowContent *>(w))
            return root->sizeReport();
        if (w->isWindow())
            break;
    }
    return std::nullopt;
}

void centerOnActiveScreen(QWidget *window)
{
    if (!window)
        return;
    const QPoint pointer = QCursor::pos();
    QScreen *screen = nullptr;
    const auto screens = QGuiApplication::screens();
    for (QScreen *candidate : screens) {
        if (candidate->geometry().contains(pointer)) {
            screen = candidate;
            break;
        }
    }
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;

    window->ensurePolished();
    if (QLayout *layout = window->layout())
        layout->activate();
    if (!window->testAttribute(Qt::WA_Resized))
        window->adjustSize();
    const QSize size = window->frameGeometry().size();
    const QRect visible = screen->availableGeometry();
    const double x = std::round(visible.x() + visible.width() / 2.0 - size.width() / 2.0);
    const double y = std::round(visible.y() + visible.height() / 2.0 - size.height() / 2.0);
    window->move(static_cast<int>(x), static_cast<int>(y));
}

void bringForward(QWidget *window)
{
    if (!window)
        return;
    if (window->isVisible() && QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        window->hide();
    window->show();
    window->raise();
    window->activateWindow();
}

FixedWindow::FixedWindow(Options options, QObject *parent) : QObject(parent), m_options(options)
{
}

FixedWindow::~FixedWindow()
{
    delete m_window.data();
}

QWidget *FixedWindow::window() const
{
    return m_window;
}

QWidget *FixedWindow::window(const QString &title, Action onClose, qreal width, const Content &content)
{
    m_onClose = std::move(onClose);
    if (m_window)
        return m_window;

    std::unique_ptr<QWidget> built = content ? content() : nullptr;
    if (!built)
        built = std::make_unique<QWidget>();
    const int initialWidth =
        std::isfinite(width) ? static_cast<int>(std::ceil(std::clamp(width, 1.0, double(QWIDGETSIZE_MAX)))) : 1;

    auto *window = new FixedNativeWindow(m_options.closesWithCommandW);
    window->setFixedSize(initialWidth, initialHeight);
    window->setWindowTitle(title);
    auto *root = new FixedWindowContent(
        std::move(built), initialWidth, m_options.scrollsContent,
        [self = QPointer(this)](QSizeF size) {
            if (self)
                self->report(size);
        },
        window);
    root->setReduceMotion(m_reduceMotion);
    window->setRoot(root);
    window->onClose = [self = QPointer(this)] {
        if (!self)
            return;
        const Action onClose = self->m_onClose;
        if (onClose)
            onClose();
    };
    // Created now, so the frame margins and the screen are known before the
    // first show.
    window->winId();
    // Qt announces the new screen from inside the geometry change that caused
    // it; resizing there would be undone as that change completes.
    connect(window->windowHandle(), &QWindow::screenChanged, this, &FixedWindow::screenChanged, Qt::QueuedConnection);
    m_window = window;
    return window;
}

void FixedWindow::show(const QString &title, Action onClose, qreal width, const Content &content)
{
    QWidget *win = window(title, std::move(onClose), width, content);
    if (!win->isVisible()) {
        // Opening, the window itself takes the keyboard focus, not its first
        // control: a stray Space or Return before any ring shows changes
        // nothing, and Tab reaches the controls.
        win->setFocus(Qt::ActiveWindowFocusReason);
        if (m_options.anchorsTop) {
            if (m_contentSize)
                resize(*m_contentSize);
            centerOnActiveScreen(win);
            // Not sized yet: centre again once the content has said how tall
            // it is.
            m_centersAfterResize = !m_contentSize;
        } else {
            centerOnActiveScreen(win);
            m_centersAfterResize = false;
        }
    }
    bringForward(win);
}

void FixedWindow::report(QSizeF size)
{
    if (!std::isfinite(size.width()) || !std::isfinite(size.height()) || size.width() <= 0 || size.height() <= 0)
        return;
    m_contentSize = size;
    if (m_resizePending)
        return;
    m_resizePending = true;
    // Content tends to report several sizes while it settles; one resize to
    // the latest, once the event loop turns, is enough.
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_resizePending = false;
            if (m_contentSize)
                resize(*m_contentSize);
        },
        Qt::QueuedConnection);
}

void FixedWindow::resize(QSizeF size)
{
    QWidget *win = m_window;
    if (!win)
        return;
    QScreen *screen = win->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect visible = screen->availableGeometry();

    // Worked in floating point: a report may be absurdly large.
    const double contentHeight = std::min(double(std::max(visible.height() - screenHeadroom, 1)),
                                          std::ceil(size.height() / heightStep) * heightStep);
    const QMargins margins = frameMarginsOf(win);
    const double frameWidth = std::ceil(size.width()) + margins.left() + margins.right();
    const double frameHeight = contentHeight + margins.top() + margins.bottom();
    const double w = std::min(double(visible.width()), frameWidth);
    const double h = std::min(double(visible.height()), frameHeight);

    const QRect current = win->frameGeometry();
    double y = m_options.anchorsTop ? current.y() : current.y() + current.height() / 2.0 - h / 2;
    double x = current.x() + current.width() / 2.0 - w / 2;
    x = std::max(double(visible.x()), std::min(visible.x() + visible.width() - w, x));
    y = std::max(double(visible.y()), std::min(visible.y() + visible.height() - h, y));

    const QRect frame(static_cast<int>(std::round(x)), static_cast<int>(std::round(y)), static_cast<int>(w),
                      static_cast<int>(h));
    if (frame != current) {
        const QSize client(std::max(1, frame.width() - margins.left() - margins.right()),
                           std::max(1, frame.height() - margins.top() - margins.bottom()));
        if (client != win->size()) {
            // Loosen the fixed size first so the window changes size once.
            win->setMinimumSize(0, 0);
            win->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
            win->resize(client);
        }
        if (frame.topLeft() != current.topLeft())
            win->move(frame.topLeft());
        win->setFixedSize(client);
    }

    if (m_centersAfterResize) {
        m_centersAfterResize = false;
        centerOnActiveScreen(win);
    }
}

FixedWindowSizeReport FixedWindow::sizeReport()
{
    return FixedWindowSizeReport{[self = QPointer(this)](QSizeF size) {
        if (self)
            self->report(size);
    }};
}

void FixedWindow::setReduceMotion(bool reduceMotion)
{
    m_reduceMotion = reduceMotion;
    if (const auto *native = dynamic_cast<FixedNativeWindow *>(m_window.data()))
        static_cast<FixedWindowContent *>(native->root())->setReduceMotion(reduceMotion);
}

void FixedWindow::screenChanged()
{
    // The same content may fit differently on a screen of another height.
    if (m_contentSize)
        resize(*m_contentSize);
}

} // namespace orbel
