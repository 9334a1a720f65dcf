#include "split_flap.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QTimeLine>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace pelorin {

QColor readoutCardColor(orbel::ColorScheme scheme)
{
    return scheme == orbel::ColorScheme::Dark ? QColor(16, 16, 15) : QColor(25, 25, 24);
}

SplitFlap::SplitFlap(const QString &text, orbel::ColorScheme scheme, QWidget *parent)
    : QWidget(parent), m_text(text), m_scheme(scheme)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    // Every pixel is its own, so a flip draws the flap alone.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

SplitFlap::~SplitFlap() = default;

QColor SplitFlap::tileColor(orbel::ColorScheme scheme)
{
    return scheme == orbel::ColorScheme::Dark ? QColor(32, 32, 30) : QColor(41, 40, 38);
}

QColor SplitFlap::hingeColor(orbel::ColorScheme scheme)
{
    // The card showing through, so the tile looks cut in two.
    return readoutCardColor(scheme);
}

QTransform SplitFlap::flipTransform(qreal degrees, QSizeF size)
{
    const qreal radians = degrees * std::numbers::pi / 180.0;
    const qreal distance = std::max({size.width(), size.height(), 1.0});
    // A point (x, y) of the box turns to depth -y sin(a) and height y cos(a);
    // dividing by 1 + depth / distance gives the perspective.
    return QTransform(1, 0, 0, 0, std::cos(radians), -std::sin(radians) / distance, 0, 0, 1);
}

void SplitFlap::setText(const QString &text, bool flip)
{
    if (text == m_text)
        return;
    // The board places the flap and knows when its size changes; a tick
    // only draws this flap again.
    m_text = text;
    if (flip) {
        if (!m_flip) {
            m_flip = new QTimeLine(2 * flipLegMs, this);
            m_flip->setUpdateInterval(flipFrameMs);
            m_flip->setEasingCurve(QEasingCurve::Linear);
            // To the deepest tilt and back, each leg in a straight line.
            connect(m_flip, &QTimeLine::valueChanged, this,
                    [this](qreal progress) { setAngle(flipAngle * (1.0 - std::abs(2.0 * progress - 1.0))); });
            connect(m_flip, &QTimeLine::finished, this, [this] { setAngle(0); });
        }
        m_flip->stop();
        ++m_flipCount;
        m_flip->start();
        // The turn's first frame shows the new text.
        return;
    }
    update();
}

void SplitFlap::setInk(const QColor &ink)
{
    if (ink == m_ink)
        return;
    m_ink = ink;
    update();
}

void SplitFlap::setScheme(orbel::ColorScheme scheme)
{
    if (scheme == m_scheme)
        return;
    m_scheme = scheme;
    update();
}

void SplitFlap::setAngle(qreal degrees)
{
    if (qFuzzyCompare(1.0 + degrees, 1.0 + m_angle))
        return;
    m_angle = degrees;
    update();
}

namespace {

// 40 pixels, or the text's line where the largest text sizes make it taller:
// the text is never cut.
int pieceHeight(const QFont &font)
{
    return std::max(SplitFlap::flapHeight, int(std::ceil(QFontMetricsF(font).height())));
}

} // namespace

QSize SplitFlap::sizeFor(const QString &text, const QFont &font)
{
    const qreal advance = QFontMetricsF(font).horizontalAdvance(text);
    return {int(std::ceil(advance)) + 2 * padding, pieceHeight(font)};
}

QSize SplitFlap::sizeHint() const
{
    return sizeFor(m_text, font());
}

QSize SplitFlap::minimumSizeHint() const
{
    // The text is never cut or squeezed: a longer text makes a wider flap.
    return sizeHint();
}

void SplitFlap::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        updateGeometry();
    QWidget::changeEvent(event);
}

void SplitFlap::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, tile());

    // The text is drawn once into an image and shown from there, still or
    // turning: a flip then costs no shaping and no glyph outlines per frame.
    const QSizeF size = textSize();
    const QImage &image = textImage(size);
    const QRectF tile = rect();
    // A flap narrower than its text (a long word at the largest text sizes,
    // held to the card's width) shrinks the text to fit instead of cutting it.
    const qreal room = tile.width() - 2 * padding;
    const qreal scale = size.width() > room && room > 0 ? room / size.width() : 1.0;
    if (m_angle == 0 && scale == 1.0) {
        // On the pixel grid, as crisp as text drawn in place.
        const qreal ratio = devicePixelRatioF();
        const QPointF corner(std::round((tile.width() - size.width()) / 2.0 * ratio) / ratio,
                             std::round((tile.height() - size.height()) / 2.0 * ratio) / ratio);
        painter.drawImage(corner, image);
        return;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.translate(tile.center());
    if (m_angle != 0)
        painter.setTransform(flipTransform(m_angle, size), true);
    painter.scale(scale, scale);
    painter.drawImage(QRectF(QPointF(-size.width() / 2, -size.height() / 2), image.deviceIndependentSize()), image);
}

QSizeF SplitFlap::textSize() const
{
    if (m_sizeText != m_text || m_sizeFont != font() || m_textSize.isEmpty()) {
        const QFontMetricsF metrics(font());
        m_textSize = QSizeF(metrics.horizontalAdvance(m_text), metrics.height());
        m_sizeText = m_text;
        m_sizeFont = font();
    }
    return m_textSize;
}

const QPixmap &SplitFlap::tile() const
{
    const qreal ratio = devicePixelRatioF();
    const QSize pixels(int(std::ceil(width() * ratio)), int(std::ceil(height() * ratio)));
    if (m_tile.size() == pixels && m_tileScheme == m_scheme && qFuzzyCompare(m_tile.devicePixelRatio(), ratio))
        return m_tile;
    m_tile = QPixmap(pixels);
    m_tile.setDevicePixelRatio(ratio);
    m_tileScheme = m_scheme;
    // The card shows at the rounded corners.
    m_tile.fill(readoutCardColor(m_scheme));
    QPainter painter(&m_tile);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = rect();
    QPainterPath shape;
    shape.addRoundedRect(area, cornerRadius, cornerRadius);
    painter.fillPath(shape, tileColor(m_scheme));
    // A one-pixel hinge across the middle, kept on the device pixel grid so
    // it stays a crisp line at any scale.
    const qreal hingeTop = std::round((area.height() - 1.0) / 2.0 * ratio) / ratio;
    painter.fillRect(QRectF(area.left(), hingeTop, area.width(), 1.0), hingeColor(m_scheme));
    return m_tile;
}

const QImage &SplitFlap::textImage(QSizeF size) const
{
    const qreal ratio = devicePixelRatioF();
    if (m_textImage.isNull() || m_imageText != m_text || m_imageFont != font() || m_imageInk != m_ink ||
        !qFuzzyCompare(m_textImage.devicePixelRatio(), ratio)) {
        m_textImage = QImage(QSize(int(std::ceil(size.width() * ratio)), int(std::ceil(size.height() * ratio))),
                             QImage::Format_ARGB32_Premultiplied);
        m_textImage.setDevicePixelRatio(ratio);
        m_textImage.fill(Qt::transparent);
        QPainter painter(&m_textImage);
        painter.setFont(font());
        painter.setPen(m_ink);
        painter.drawText(QRectF(QPointF(0, 0), size), Qt::AlignCenter, m_text);
        m_imageText = m_text;
        m_imageFont = font();
        m_imageInk = m_ink;
    }
    return m_textImage;
}

FlapColon::FlapColon(QWidget *parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void FlapColon::setInk(const QColor &ink)
{
    if (ink == m_ink)
        return;
    m_ink = ink;
    update();
}

QSize FlapColon::sizeFor(const QFont &font)
{
    const int colon = int(std::ceil(QFontMetricsF(font).horizontalAdvance(QLatin1Char(':'))));
    return {std::max(colonWidth, colon), pieceHeight(font)};
}

QSize FlapColon::sizeHint() const
{
    return sizeFor(font());
}

QSize FlapColon::minimumSizeHint() const
{
    return sizeHint();
}

void FlapColon::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setFont(font());
    painter.setPen(m_ink);
    painter.drawText(QRectF(rect()), Qt::AlignCenter, QStringLiteral(":"));
}

} // namespace pelorin
