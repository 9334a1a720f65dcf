#include "permission_row.h"

#include "accessibility_element.h"
#include "bordered_button.h"
#include "brand_palette.h"
#include "orbel_font.h"
#include "preferences_focus_ring.h"
#include "symbol_table.h"
#include "symbol_view.h"
#include "text_label.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>
#include <QVariantAnimation>

#include <utility>

namespace orbel {

namespace {

constexpr int rowSpacing = 12;
constexpr int columnSpacing = 4;
constexpr int titleSpacing = 8;
constexpr int buttonTopPadding = 4;
constexpr int fadeMilliseconds = 200;

// The row's badge: one symbol in one colour, cross-fading to the next when
// asked to.
class PermissionBadge final : public QWidget {
public:
    explicit PermissionBadge(QWidget *parent) : QWidget(parent)
    {
        setAccessibilityElement(this, QAccessible::Graphic);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        m_fade.setStartValue(0.0);
        m_fade.setEndValue(1.0);
        m_fade.setDuration(fadeMilliseconds);
        m_fade.setEasingCurve(QEasingCurve::InOutQuad);
        connect(&m_fade, &QVariantAnimation::valueChanged, this, [this] { update(); });
    }

    void show(const QString &symbol, const QColor &tint, bool animated)
    {
        if (symbol == m_symbol && tint == m_tint)
            return;
        m_fade.stop();
        m_previous = animated && !m_symbol.isEmpty() ? m_symbol : QString();
        m_previousTint = m_tint;
        m_symbol = symbol;
        m_tint = tint;
        if (!m_previous.isEmpty())
            m_fade.start();
        update();
    }

    const QString &symbol() const { return m_symbol; }
    bool isFading() const { return m_fade.state() == QAbstractAnimation::Running; }

    QSize sizeHint() const override
    {
        const int side = SymbolView::sideForFont(font());
        return {side, qMax(side, fontMetrics().height())};
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const int side = SymbolView::sideForFont(font());
        QRectF square(0, 0, side, side);
        square.moveCenter(QRectF(0, 0, width(), sizeHint().height()).center());
        const qreal progress = isFading() ? m_fade.currentValue().toReal() : 1.0;
        if (progress < 1.0 && !m_previous.isEmpty()) {
            painter.setOpacity(1.0 - progress);
            SymbolTable::paint(painter, square, m_previous, m_previousTint);
        }
        painter.setOpacity(progress);
        SymbolTable::paint(painter, square, m_symbol, m_tint);
    }

private:
    QString m_symbol;
    QColor m_tint;
    QString m_previous;
    QColor m_previousTint;
    QVariantAnimation m_fade;
};

} // namespace

PermissionRow::PermissionRow(int number, bool isGranted, bool isOptional, const QString &title, const QString &message,
                             const QString &action, const QColor &color, std::function<void()> perform,
                             const OrbelEnvironment &environment, QWidget *parent)
    : QWidget(parent), EnvironmentAware(environment), m_number(number), m_isGranted(isGranted), m_color(color)
{
    auto *row = new QHBoxLayout(this);
    // Room below for the button's focus ring.
    row->setContentsMargins(0, 0, 0, focusRingRoom);
    row->setSpacing(rowSpacing);
    m_badge = new PermissionBadge(this);
    row->addWidget(m_badge, 0, Qt::AlignTop);

    auto *column = new QVBoxLayout;
    column->setSpacing(columnSpacing);
    auto *heading = new QHBoxLayout;
    heading->setSpacing(titleSpacing);
    m_title = new TextLabel(title, this);
    m_title->setPrefersWholeLine(true);
    m_title->setSizePolicy(TextLabel::growingPolicy());
    heading->addWidget(m_title, 0, Qt::AlignTop);
    if (isOptional) {
        m_optional = new QLabel(tr("Optional"), this);
        m_optional->setTextFormat(Qt::PlainText);
        m_optional->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        heading->addWidget(m_optional, 0, Qt::AlignTop);
    }
    heading->addStretch(1);
    column->addLayout(heading);
    m_message = new TextLabel(message, this);
    m_message->setSizePolicy(TextLabel::growingPolicy());
    column->addWidget(m_message);
    column->addSpacing(buttonTopPadding);
    m_action = new BorderedButton(action, environment, this);
    m_action->setControlSize(BorderedButton::ControlSize::Small);
    m_action->setTextRole(OrbelFont::Detail);
    m_action->setBorderShape(BorderedButton::BorderShape::Capsule);
    preferencesFocusRing(m_action, RingShape::capsule(), environment);
    connect(m_action, &QAbstractButton::clicked, this, [perform = std::move(perform)] {
        if (perform)
            perform();
    });
    column->addWidget(m_action, 0, Qt::AlignLeading);
    row->addLayout(column, 1);

    environmentChanged();
    showState(false);
}

QString PermissionRow::badgeSymbol() const
{
    return m_isGranted ? QStringLiteral("checkmark.circle.fill")
                       : QString::number(m_number) + QStringLiteral(".circle");
}

QColor PermissionRow::badgeColor() const
{
    return m_isGranted ? BrandPalette::green(environment().scheme) : m_color;
}

void PermissionRow::setGranted(bool granted)
{
    if (granted == m_isGranted)
        return;
    m_isGranted = granted;
    showState(!environment().reduceMotion);
}

void PermissionRow::showState(bool animated)
{
    static_cast<PermissionBadge *>(m_badge)->show(badgeSymbol(), badgeColor(), animated);
    m_badge->setAccessibleName(m_isGranted ? tr("Allowed") : tr("Not allowed yet"));
    m_action->setVisible(!m_isGranted);
}

void PermissionRow::environmentChanged()
{
    const OrbelEnvironment &env = environment();
    const QFont callout = orbelFont(OrbelFont::Detail, env.textSize);
    const QFont headline = orbelFont(OrbelFont::Heading, env.textSize);
    m_badge->setFont(orbelFont(OrbelFont::Text, env.textSize));
    m_badge->updateGeometry();
    m_title->setFont(headline);
    m_title->setColor(BrandPalette::primary(env.scheme));
    if (m_optional) {
        m_optional->setFont(callout);
        QPalette palette = m_optional->palette();
        palette.setColor(QPalette::WindowText, BrandPalette::primary70(env.scheme));
        m_optional->setPalette(palette);
        // Top-aligned, the two texts share their first baseline when the
        // smaller one starts lower by the difference of their ascents.
        const int drop = QFontMetrics(headline).ascent() - QFontMetrics(callout).ascent();
        m_optional->setContentsMargins(0, qMax(0, drop), 0, 0);
    }
    m_message->setFont(callout);
    m_message->setColor(BrandPalette::primary70(env.scheme));
    static_cast<PermissionBadge *>(m_badge)->show(badgeSymbol(), badgeColor(), false);
}

} // namespace orbel
