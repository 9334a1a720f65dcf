#include "pelorin_panel_viewport.h"

#include "accessibility_hidden.h"
#include "brand_palette.h"
#include "hover_tracker.h"
#include "orbel_metrics.h"
#include "panel_screen_reader.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <limits>

namespace pelorin {

namespace {

// The slim indicator drawn over the right edge of a panel that scrolls, in
// the manner of overlay scroll bars: it takes no room from the content. Its
// thumb can be dragged, and a click beside the thumb pages.
class ScrollIndicator : public QWidget {
public:
    static constexpr int width = 12;
    static constexpr int inset = 3;

    ScrollIndicator(QScrollBar *bar, QWidget *parent)
        : QWidget(parent), m_bar(bar), m_hover(new orbel::HoverTracker(this))
    {
        orbel::setAccessibilityHidden(this);
        setFocusPolicy(Qt::NoFocus);
        connect(bar, &QScrollBar::valueChanged, this, qOverload<>(&QWidget::update));
        connect(bar, &QScrollBar::rangeChanged, this, qOverload<>(&QWidget::update));
    }

    orbel::ColorScheme scheme = orbel::ColorScheme::Light;

protected:
    void paintEvent(QPaintEvent *) override
    {
        const QRectF thumb = thumbRect();
        if (thumb.isEmpty())
            return;
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QColor color = orbel::BrandPalette::primary(scheme);
        color.setAlphaF(m_dragging ? 0.55f : m_hover->isHovered() ? 0.45f : 0.3f);
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        painter.drawRoundedRect(thumb, thumb.width() / 2, thumb.width() / 2);
    }

    void mousePressEvent(QMouseEvent *event) override
    {
        if (!m_bar || event->button() != Qt::LeftButton)
            return QWidget::mousePressEvent(event);
        const QRectF thumb = thumbRect();
        const qreal y = event->position().y();
        if (y >= thumb.top() && y <= thumb.bottom()) {
            m_dragging = true;
            m_grip = y - thumb.top();
            update();
        } else {
            m_bar->triggerAction(y < thumb.top() ? QAbstractSlider::SliderPageStepSub
                                                 : QAbstractSlider::SliderPageStepAdd);
        }
        event->accept();
    }

    void mouseMoveEvent(QMouseEvent *event) override
    {
        if (!m_dragging || !m_bar)
            return QWidget::mouseMoveEvent(event);
        const QRectF thumb = thumbRect();
        const qreal travel = track().height() - thumb.height();
        if (travel > 0) {
            const qreal fraction = std::clamp((event->position().y() - m_grip - track().top()) / travel, 0.0, 1.0);
            m_bar->setValue(m_bar->minimum() + int(std::lround(fraction * (m_bar->maximum() - m_bar->minimum()))));
        }
        event->accept();
    }

    void mouseReleaseEvent(QMouseEvent *event) override
    {
        m_dragging = false;
        update();
        event->accept();
    }

    void wheelEvent(QWheelEvent *event) override
    {
        if (m_bar)
            QCoreApplication::sendEvent(m_bar, event);
    }

private:
    QRectF track() const { return QRectF(rect()).adjusted(0, inset, 0, -inset); }

    QRectF thumbRect() const
    {
        if (!m_bar || m_bar->maximum() <= m_bar->minimum())
            return {};
        const QRectF area = track();
        const double range = m_bar->maximum() - m_bar->minimum();
        const double page = std::max(1, m_bar->pageStep());
        const qreal length = std::max(24.0, area.height() * page / (page + range));
        const qreal top = area.top() + (area.height() - length) * (m_bar->value() - m_bar->minimum()) / range;
        const qreal thickness = (m_hover->isHovered() || m_dragging) ? 8 : 6;
        return {area.right() - inset - thickness, top, thickness, length};
    }

    QPointer<QScrollBar> m_bar;
    orbel::HoverTracker *m_hover;
    bool m_dragging = false;
    qreal m_grip = 0;
};

} // namespace

PelorinPanelViewport::PelorinPanelViewport(QWidget *content, const orbel::OrbelEnvironment &environment,
                                           std::optional<double> snapshotHeight, QWidget *parent)
    : QWidget(parent), EnvironmentAware(environment), m_content(content), m_snapshotHeight(snapshotHeight)
{
    // The content always sits in the scroll area. While it fits, the area is
    // exactly as tall as the content, so nothing can scroll and nothing
    // shows; the content is never moved between parents, so focus and state
    // survive a change between the two cases.
    m_scrollArea = new QScrollArea(this);
    m_scrollArea->setFrameShape(QFrame::NoFrame);
    m_scrollArea->setFocusPolicy(Qt::NoFocus);
    m_scrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scrollArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scrollArea->setWidgetResizable(false);
    m_scrollArea->setAutoFillBackground(false);
    m_scrollArea->viewport()->setAutoFillBackground(false);
    m_scrollArea->setWidget(content);
    // The content draws its own background, edge to edge.
    content->setAutoFillBackground(false);
    content->installEventFilter(this);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_scrollArea);

    auto *indicator = new ScrollIndicator(m_scrollArea->verticalScrollBar(), this);
    indicator->scheme = environment.scheme;
    indicator->hide();
    m_indicator = indicator;

    auto *reader = new PanelScreenReader(this);
    // Applied after the event that caused the report has been handled, never
    // in the middle of a layout.
    connect(reader, &PanelScreenReader::heightChanged, this, &PelorinPanelViewport::setWindowHeight,
            Qt::QueuedConnection);

    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    fit();
}

void PelorinPanelViewport::setWindowHeight(double height)
{
    m_windowHeight = height;
    fit();
}

QList<double> PelorinPanelViewport::screenHeights()
{
    QList<double> heights;
    for (const QScreen *screen : QGuiApplication::screens())
        heights << double(screen->availableGeometry().height());
    return heights;
}

double PelorinPanelViewport::maximumHeight(std::optional<double> snapshotHeight, std::optional<double> windowHeight,
                                           const QList<double> &screenHeights)
{
    if (snapshotHeight)
        return *snapshotHeight;
    if (windowHeight)
        return std::max(*windowHeight - screenMargin, 0.0);
    if (screenHeights.isEmpty())
        return std::numeric_limits<double>::max();
    return std::max(*std::min_element(screenHeights.begin(), screenHeights.end()) - screenMargin, 0.0);
}

double PelorinPanelViewport::maximumHeight() const
{
    return maximumHeight(m_snapshotHeight, m_windowHeight, screenHeights());
}

int PelorinPanelViewport::naturalHeight() const
{
    const int width = orbel::OrbelMetrics::panelWidth;
    int height = m_content->hasHeightForWidth() ? m_content->heightForWidth(width) : -1;
    if (height < 0)
        height = m_content->sizeHint().height();
    if (height < 0 && m_content->layout())
        height = m_content->layout()->totalSizeHint().height();
    if (height < 0)
        height = m_content->height();
    // A content of fixed height is that tall, whatever it hints.
    return std::max(std::clamp(height, m_content->minimumHeight(), m_content->maximumHeight()), 0);
}

QSize PelorinPanelViewport::fittedSize(int natural) const
{
    const double limit = maximumHeight();
    // Widgets measure in whole pixels: a fractional limit rounds down, so the
    // panel stays inside it, yet any limit above zero leaves one pixel to
    // draw; no limit at all is the largest widget size.
    int cap = limit >= double(QWIDGETSIZE_MAX) ? QWIDGETSIZE_MAX : int(std::floor(limit));
    if (limit > 0)
        cap = std::max(cap, 1);
    return {orbel::OrbelMetrics::panelWidth, std::min(natural, cap)};
}

QSize PelorinPanelViewport::sizeHint() const
{
    return fittedSize(naturalHeight());
}

void PelorinPanelViewport::fit()
{
    if (m_fitting)
        return;
    m_fitting = true;
    const int natural = naturalHeight();
    const QSize size = fittedSize(natural);
    m_scrolling = natural > size.height();
    if (m_content->size() != QSize(size.width(), natural))
        m_content->resize(size.width(), natural);
    m_indicator->setVisible(m_scrolling);
    placeIndicator();
    if (size != m_fittedSize) {
        m_fittedSize = size;
        updateGeometry();
    }
    m_fitting = false;
}

void PelorinPanelViewport::placeIndicator()
{
    m_indicator->setGeometry(width() - ScrollIndicator::width, 0, ScrollIndicator::width, height());
    m_indicator->raise();
}

bool PelorinPanelViewport::eventFilter(QObject *watched, QEvent *event)
{
    // The content asks for a new layout whenever what it holds changes size.
    if (watched == m_content && event->type() == QEvent::LayoutRequest)
        fit();
    return QWidget::eventFilter(watched, event);
}

void PelorinPanelViewport::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    fit();
}

void PelorinPanelViewport::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placeIndicator();
}

void PelorinPanelViewport::environmentChanged()
{
    static_cast<ScrollIndicator *>(m_indicator)->scheme = environment().scheme;
    m_indicator->update();
}

} // namespace pelorin
