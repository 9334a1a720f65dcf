#include "key_caps.h"

#include "accessibility_element.h"
#include "brand_palette.h"
#include "orbel_font.h"
#include "orbel_metrics.h"

#include <QEvent>
#include <QPainter>
#include <QTextBoundaryFinder>

namespace orbel {

namespace {

constexpr int chipPadding = 8;

// Characters as a person counts them: a letter with its accents, or one
// emoji, is one.
int characterCount(const QString &text)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    while (finder.toNextBoundary() > 0)
        ++count;
    return count;
}

} // namespace

KeyCaps::KeyCaps(const QStringList &keys, const OrbelEnvironment &environment, QWidget *parent)
    : QWidget(parent), EnvironmentAware(environment)
{
    setAccessibilityElement(this, QAccessible::StaticText);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setKeys(keys);
    environmentChanged();
}

void KeyCaps::environmentChanged()
{
    setFont(orbelFont(OrbelFont::KeyCap, environment().textSize));
    update();
}

QString KeyCaps::spokenKeys(const QStringList &keys)
{
    return keys.join(u' ');
}

void KeyCaps::setKeys(const QStringList &keys)
{
    m_keys = keys;
    setAccessibleName(spokenKeys(keys));
    updateGeometry();
    update();
}

QColor KeyCaps::chipColor() const
{
    // A quarter-strength fill, quieter than any control.
    QColor fill = BrandPalette::primary(environment().scheme);
    fill.setAlphaF(environment().isDark() ? 0.14f : 0.1f);
    return fill;
}

QSize KeyCaps::chipSize(const QString &key) const
{
    const int padding = characterCount(key) > 1 ? chipPadding : 0;
    const QFontMetrics metrics = fontMetrics();
    return {qMax(OrbelMetrics::keyCapMinSize, metrics.horizontalAdvance(key) + 2 * padding),
            qMax(OrbelMetrics::keyCapMinSize, metrics.height())};
}

QList<QRect> KeyCaps::chipRects() const
{
    QList<QRect> rects;
    int x = 0;
    const int rowHeight = sizeHint().height();
    const int top = qMax(0, (height() - rowHeight) / 2);
    for (const QString &key : m_keys) {
        const QSize size = chipSize(key);
        rects.append(QRect(QPoint(x, top + (rowHeight - size.height()) / 2), size));
        x += size.width() + OrbelMetrics::keyCapSpacing;
    }
    return rects;
}

QSize KeyCaps::sizeHint() const
{
    if (m_keys.isEmpty())
        return {0, 0};
    int width = 0;
    int height = 0;
    for (const QString &key : m_keys) {
        const QSize size = chipSize(key);
        width += size.width();
        height = qMax(height, size.height());
    }
    return {width + OrbelMetrics::keyCapSpacing * int(m_keys.size() - 1), height};
}

void KeyCaps::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QList<QRect> rects = chipRects();
    const QColor fill = chipColor();
    const QColor ink = BrandPalette::primary(environment().scheme);
    painter.setFont(font());
    for (qsizetype index = 0; index < rects.size(); ++index) {
        const QRectF chip(rects.at(index));
        painter.setPen(Qt::NoPen);
        painter.setBrush(fill);
        painter.drawRoundedRect(chip, OrbelMetrics::keyCapCornerRadius, OrbelMetrics::keyCapCornerRadius);
        painter.setPen(ink);
        painter.drawText(chip, Qt::AlignCenter | Qt::TextSingleLine, m_keys.at(index));
    }
}

void KeyCaps::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        updateGeometry();
    QWidget::changeEvent(event);
}

} // namespace orbel
