#include "split_flap.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QVariantAnimation>

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
            m_flip = new QVariantAnimation(this);
            m_flip->setDuration(2 * flipLegMs);
            m_flip->setEasingCurve(QEasingCurve::Linear);
            m_flip->setStartValue(0.0);
            m_flip->setKeyValueAt(0.5, flipAngle);
            m_flip->setEndValue(0.0);
            connect(m_flip, &QVariantAnimation::valueChanged, this,
                    [this](const QVariant &value) { setAngle(value.toReal()); });
            connect(m_flip, &QVariantAnimation::finished, this, [this] { setAngle(0); });
        }
        m_flip->stop();
        ++m_flipCount;
        m_flip->start();
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
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);

    const QRectF tile = rect();
    QPainterPath shape;
    shape.addRoundedRect(tile, cornerRadius, cornerRadius);
    painter.fillPath(shape, tileColor(m_scheme));

    // A one-pixel hinge across the middle, kept on the device pixel grid so
    // it stays a crisp line at any scale.
    const qreal ratio = devicePixelRatioF();
    const qreal hingeTop = std::round((tile.height() - 1.0) / 2.0 * ratio) / ratio;
    painter.fillRect(QRectF(tile.left(), hingeTop, tile.width(), 1.0), hingeColor(m_scheme));

    const QFontMetricsF metrics(font());
    const QSizeF textSize(metrics.horizontalAdvance(m_text), metrics.height());
    painter.translate(tile.center());
    if (m_angle != 0)
        painter.setTransform(flipTransform(m_angle, textSize), true);
    // A flap narrower than its text (a long word at the largest text sizes,
    // held to the card's width) shrinks the text to fit instead of cutting it.
    const qreal room = tile.width() - 2 * padding;
    if (textSize.width() > room && room > 0)
        painter.scale(room / textSize.width(), room / textSize.width());
    painter.setFont(font());
    painter.setPen(m_ink);
    painter.drawText(QRectF(QPointF(-textSize.width() / 2, -textSize.height() / 2), textSize), Qt::AlignCenter, m_text);
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
