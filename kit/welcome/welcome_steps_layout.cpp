#include "welcome_steps_layout.h"

#include "accessibility_heading.h"
#include "accessibility_hidden.h"
#include "brand_palette.h"
#include "fixed_window.h"
#include "orbel_font.h"
#include "orbel_metrics.h"
#include "paragraph_label.h"
#include "preferences_chrome.h"
#include "preferences_focus_ring.h"
#include "preferences_header.h"
#include "preferences_toggle_row.h"
#include "privacy_line.h"
#include "symbol_table.h"
#include "symbol_view.h"
#include "text_label.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace orbel {

namespace {

constexpr int blockSpacing = 8;
constexpr int privacySpacing = 4;
constexpr int lowerSpacing = 16;
constexpr int footerSpacing = 12;
constexpr int badgeSide = 24;
constexpr int dotSide = 8;
constexpr int dotSpacing = 8;
constexpr int cardVerticalPadding = 8;
constexpr int cardHorizontalPadding = 16;
// The scroll bar of the scrolling arrangement sits in the right margin, this
// far from the column, so the upper half keeps the column's width.
constexpr int scrollBarGap = 8;
constexpr int scrollBarWidth = 10;

// The step number on a faint accent disc, or a green check once the step is
// done, 24 square at the everyday sizes. The accessibility sizes make the
// disc larger by their text's factor, so the number keeps its place in it
// and stays as readable as the title beside it.
class StepBadge final : public QWidget, public EnvironmentAware {
public:
    StepBadge(int step, bool done, const OrbelBrand &brand, const OrbelEnvironment &environment, QWidget *parent)
        : QWidget(parent), EnvironmentAware(environment), m_step(step), m_done(done), m_brand(brand)
    {
        setAccessibilityHidden(this);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        environmentChanged();
    }

    bool isDone() const { return m_done; }
    QString number() const { return QString::number(m_step); }

    int side() const
    {
        const TextSize size = environment().textSize;
        return isAccessibilitySize(size) ? std::max(badgeSide, int(std::lround(badgeSide * textScale(size))))
                                         : badgeSide;
    }
    QSize sizeHint() const override { return {side(), side()}; }

    // The font the number is drawn in: the badge's own, or one small enough
    // for the number to fit the disc.
    QFont numberFont() const
    {
        QFont fitted = font();
        const auto fits = [this](const QFont &candidate) {
            const QFontMetrics metrics(candidate);
            return metrics.height() <= side() && metrics.horizontalAdvance(number()) <= side() - 4;
        };
        while (fitted.pixelSize() > 6 && !fits(fitted))
            fitted.setPixelSize(fitted.pixelSize() - 1);
        return fitted;
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void environmentChanged() override
    {
        setFont(orbelFont(OrbelFont::SupportSemibold, environment().textSize));
        updateGeometry();
        update();
    }

    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const ColorScheme scheme = environment().scheme;
        const qreal side = std::min(width(), height());
        QRectF square(0, 0, side, side);
        square.moveCenter(QRectF(rect()).center());
        if (m_done) {
            const qreal symbol = std::min<qreal>(SymbolView::sideForFont(font()), side);
            QRectF box(0, 0, symbol, symbol);
            box.moveCenter(square.center());
            SymbolTable::paint(painter, box, u"checkmark.circle.fill", PrivacyGreen::color(scheme));
            return;
        }
        QColor disc = m_brand.accent(scheme);
        disc.setAlphaF(0.25f);
        painter.setPen(Qt::NoPen);
        painter.setBrush(disc);
        painter.drawEllipse(square);
        painter.setPen(BrandPalette::primary(scheme));
        painter.setFont(numberFont());
        painter.drawText(square, Qt::AlignCenter | Qt::TextDontClip, number());
    }

private:
    int m_step;
    bool m_done;
    OrbelBrand m_brand;
};

// One dot per step, the current one in the accent.
class ProgressDots final : public QWidget, public EnvironmentAware {
public:
    ProgressDots(int step, int count, const OrbelBrand &brand, const OrbelEnvironment &environment, QWidget *parent)
        : QWidget(parent), EnvironmentAware(environment), m_step(step), m_count(std::max(count, 1)), m_brand(brand)
    {
        setAccessibilityHidden(this);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }

    QSize sizeHint() const override { return {m_count * dotSide + (m_count - 1) * dotSpacing, dotSide}; }
    QSize minimumSizeHint() const override { return sizeHint(); }

    int count() const { return m_count; }
    QRectF dotRect(int index) const
    {
        return {qreal((index - 1) * (dotSide + dotSpacing)), (height() - dotSide) / 2.0, qreal(dotSide),
                qreal(dotSide)};
    }
    QColor dotColor(int index) const
    {
        return index == m_step ? m_brand.accent(environment().scheme) : BrandPalette::primary16(environment().scheme);
    }

protected:
    void environmentChanged() override { update(); }

    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        for (int index = 1; index <= m_count; ++index) {
            painter.setBrush(dotColor(index));
            painter.drawEllipse(dotRect(index));
        }
    }

private:
    int m_step;
    int m_count;
    OrbelBrand m_brand;
};

// The faint card behind the step's content.
class StepCard final : public QWidget, public EnvironmentAware {
public:
    StepCard(QWidget *content, const OrbelEnvironment &environment, QWidget *parent)
        : QWidget(parent), EnvironmentAware(environment)
    {
        auto *layout = new QVBoxLayout(this);
        layout->setContentsMargins(cardHorizontalPadding, cardVerticalPadding, cardHorizontalPadding,
                                   cardVerticalPadding);
        layout->setSpacing(0);
        content->setParent(this);
        layout->addWidget(content);
    }

protected:
    void environmentChanged() override { update(); }

    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(BrandPalette::primary06(environment().scheme));
        const qreal radius = OrbelMetrics::cardCornerRadius;
        painter.drawRoundedRect(QRectF(rect()), radius, radius);
    }
};

QVBoxLayout *column(QWidget *holder, int spacing)
{
    auto *layout = new QVBoxLayout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return layout;
}

} // namespace

// The chrome's content: it covers the chrome, lays the two halves out in the
// column itself and chooses between the plain and the scrolling arrangement.
class WelcomeStepsBody final : public QWidget {
public:
    explicit WelcomeStepsBody(WelcomeStepsLayout *owner) : m_owner(owner) {}

    QSize sizeHint() const override
    {
        const QMargins margins = contentsMargins();
        return {WelcomeStepsLayout::pageWidth, margins.top() + m_owner->naturalStepHeight() +
                                                   WelcomeStepsLayout::spacing + m_owner->naturalFooterHeight() +
                                                   margins.bottom()};
    }

    QSize minimumSizeHint() const override
    {
        const QMargins margins = contentsMargins();
        return {WelcomeStepsLayout::pageWidth,
                margins.top() + WelcomeStepsLayout::spacing + m_owner->naturalFooterHeight() + margins.bottom()};
    }

protected:
    void resizeEvent(QResizeEvent *event) override
    {
        QWidget::resizeEvent(event);
        m_owner->arrange();
    }

private:
    WelcomeStepsLayout *m_owner;
};

WelcomeStepsLayout::WelcomeStepsLayout(Setup setup, QWidget *card, const OrbelEnvironment &environment, QWidget *parent)
    : QWidget(parent), EnvironmentAware(environment), m_brand(setup.brand)
{
    m_body = new WelcomeStepsBody(this);

    m_scroll = new QScrollArea(m_body);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_scroll->setWidgetResizable(false);
    // The page's background shows through; the upper half is reached by
    // scrolling, not by a stop of its own in the key loop.
    m_scroll->setAutoFillBackground(false);
    m_scroll->viewport()->setAutoFillBackground(false);
    m_scroll->setFocusPolicy(Qt::NoFocus);
    m_upper = buildUpperHalf(setup, card, environment);
    m_scroll->setWidget(m_upper);
    m_upper->setAutoFillBackground(false);

    m_lower = buildLowerHalf(setup, environment);

    environmentChanged();
    m_chrome = new PreferencesChrome(m_brand, pageWidth, m_body, environment, this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_chrome);
    // The height follows the ideal height at the fixed width, not the sum of
    // every part's minimum, also when the page is a window of its own.
    layout->setSizeConstraint(QLayout::SetNoConstraint);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);

    m_upper->installEventFilter(this);
    m_lower->installEventFilter(this);
}

QWidget *WelcomeStepsLayout::buildUpperHalf(const Setup &setup, QWidget *card, const OrbelEnvironment &environment)
{
    auto *upper = new QWidget;
    auto *stack = column(upper, spacing);

    // Heading: icon and title, then the lead paragraph.
    auto *heading = column(nullptr, blockSpacing);
    m_header = new PreferencesHeader(setup.title, true, environment, upper);
    heading->addWidget(m_header);
    m_lead = new ParagraphLabel(setup.lead, upper);
    heading->addWidget(m_lead);
    stack->addLayout(heading);

    // The step: its heading row above the card.
    auto *step = column(nullptr, blockSpacing);
    auto *headingRow = new QHBoxLayout;
    headingRow->setSpacing(blockSpacing);
    m_badge = new StepBadge(setup.step, setup.isStepDone, setup.brand, environment, upper);
    headingRow->addWidget(m_badge, 0, Qt::AlignVCenter);
    m_stepTitle = new ParagraphLabel(setup.stepTitle, upper);
    setAccessibilityHeading(m_stepTitle);
    headingRow->addWidget(m_stepTitle, 1, Qt::AlignVCenter);
    if (setup.stepLabel) {
        headingRow->addSpacing(blockSpacing);
        auto *labelGroup = new QHBoxLayout;
        labelGroup->setSpacing(blockSpacing);
        m_stepLabel = new TextLabel(*setup.stepLabel, upper);
        m_stepLabel->setWordWrap(false);
        m_stepLabel->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        labelGroup->addWidget(m_stepLabel, 0, Qt::AlignVCenter);
        auto *dots = new ProgressDots(setup.step, setup.stepCount, setup.brand, environment, upper);
        labelGroup->addWidget(dots, 0, Qt::AlignVCenter);
        headingRow->addLayout(labelGroup);
    }
    step->addLayout(headingRow);
    m_card = card ? card : new QWidget;
    m_cardFrame = new StepCard(m_card, environment, upper);
    step->addWidget(m_cardFrame);
    stack->addLayout(step);

    // The privacy lines: the brand's promise, then the page's own.
    m_privacy = new QWidget(upper);
    auto *privacy = column(m_privacy, privacySpacing);
    privacy->addWidget(setup.brand.privacyLine(environment, m_privacy));
    privacy->addWidget(new PrivacyLine(setup.privacy, setup.privacySymbol, environment, m_privacy));
    stack->addWidget(m_privacy);
    return upper;
}

QWidget *WelcomeStepsLayout::buildLowerHalf(Setup &setup, const OrbelEnvironment &environment)
{
    // The lower half reaches past the column on the left, right and bottom by
    // a ring's room, so the rings of its switch and buttons are never cut off.
    auto *lower = new QWidget(m_body);
    auto *stack = new QVBoxLayout(lower);
    stack->setContentsMargins(0, 0, 0, focusRingRoom);
    stack->setSpacing(lowerSpacing);

    m_loginRow =
        new PreferencesToggleRow(tr("Open at Login"), std::nullopt, std::move(setup.opensAtLogin), environment, lower);
    m_loginRow->setContentsMargins(focusRingRoom, 0, focusRingRoom, 0);
    stack->addWidget(m_loginRow);

    auto *footer = new QHBoxLayout;
    footer->setContentsMargins(focusRingRoom, 0, focusRingRoom, 0);
    footer->setSpacing(footerSpacing);
    if (setup.skip) {
        auto *skip = new WelcomeButton(std::move(*setup.skip), setup.brand, false, environment, lower);
        footer->addWidget(skip, 0, Qt::AlignVCenter);
    }
    footer->addStretch(1);
    if (setup.back) {
        auto *back = new WelcomeButton(std::move(*setup.back), setup.brand, false, environment, lower);
        footer->addWidget(back, 0, Qt::AlignVCenter);
    }
    m_primary = new WelcomeButton(std::move(setup.primary), setup.brand, true, environment, lower);
    m_primary->setDefault(true);
    footer->addWidget(m_primary, 0, Qt::AlignVCenter);
    stack->addLayout(footer);

    if (setup.note) {
        m_note = new ParagraphLabel(*setup.note, lower);
        m_note->setContentsMargins(focusRingRoom, 0, focusRingRoom, 0);
        stack->addWidget(m_note);
    }
    return lower;
}

int WelcomeStepsLayout::idealHeight() const
{
    return m_stepHeight + chromeHeight + spacing + m_footerHeight;
}

int WelcomeStepsLayout::naturalStepHeight() const
{
    const int height = m_upper->heightForWidth(columnWidth);
    return height >= 0 ? height : m_upper->sizeHint().height();
}

int WelcomeStepsLayout::naturalFooterHeight() const
{
    const int height = m_lower->heightForWidth(columnWidth + 2 * focusRingRoom);
    return (height >= 0 ? height : m_lower->sizeHint().height()) - focusRingRoom;
}

QSize WelcomeStepsLayout::sizeHint() const
{
    return {pageWidth, naturalStepHeight() + chromeHeight + spacing + naturalFooterHeight()};
}

QSize WelcomeStepsLayout::minimumSizeHint() const
{
    return {pageWidth, chromeHeight + spacing + naturalFooterHeight()};
}

void WelcomeStepsLayout::syncLoginSwitch()
{
    m_loginRow->syncFromBinding();
}

void WelcomeStepsLayout::arrange()
{
    const QRect area = m_body->contentsRect();
    const int upper = naturalStepHeight();
    const int lower = naturalFooterHeight();
    // The plain arrangement when it fits the height on offer, else the one
    // whose upper half scrolls.
    const bool fits = upper + spacing + lower <= area.height();

    m_upper->resize(columnWidth, upper);
    int visibleUpper = upper;
    if (fits) {
        m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        m_scroll->verticalScrollBar()->setValue(0);
        m_scroll->setGeometry(area.x(), area.y(), columnWidth, upper);
    } else {
        visibleUpper = std::max(0, area.height() - spacing - lower);
        m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        m_scroll->setGeometry(area.x(), area.y(), columnWidth + scrollBarGap + scrollBarWidth, visibleUpper);
    }
    m_lower->setGeometry(area.x() - focusRingRoom, area.y() + visibleUpper + spacing, columnWidth + 2 * focusRingRoom,
                         lower + focusRingRoom);

    const Arrangement arrangement = fits ? Arrangement::Plain : Arrangement::Scrolling;
    if (arrangement != m_arrangement) {
        m_arrangement = arrangement;
        Q_EMIT arrangementChanged(arrangement);
    }
}

void WelcomeStepsLayout::measure()
{
    const int before = idealHeight();
    m_stepHeight = naturalStepHeight();
    m_footerHeight = naturalFooterHeight();
    m_body->updateGeometry();
    arrange();
    // A change that leaves the sum equal tells the window nothing new.
    if (idealHeight() != before) {
        Q_EMIT idealHeightChanged(idealHeight());
        reportIdealSize(idealHeight());
    }
}

void WelcomeStepsLayout::scheduleMeasure()
{
    if (m_measurePending)
        return;
    m_measurePending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_measurePending = false;
            // A hidden page is measured again when it shows.
            if (isVisible())
                measure();
            else
                arrange();
        },
        Qt::QueuedConnection);
}

void WelcomeStepsLayout::reportIdealSize(int height)
{
    if (m_stepHeight <= 0 || m_footerHeight <= 0)
        return;
    // Outside a fixed window (a snapshot, say) nobody needs to know.
    const std::optional<FixedWindowSizeReport> report = fixedWindowSizeReport(this);
    if (!report)
        return;
    (*report)(QSizeF(pageWidth, height));
}

void WelcomeStepsLayout::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        // The first look at the size; nothing has been measured yet.
        reportIdealSize(idealHeight());
    }
    measure();
}

bool WelcomeStepsLayout::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == m_upper || watched == m_lower) && event->type() == QEvent::LayoutRequest)
        scheduleMeasure();
    return QWidget::eventFilter(watched, event);
}

void WelcomeStepsLayout::environmentChanged()
{
    const OrbelEnvironment &env = environment();
    const QFont support = orbelFont(OrbelFont::Support, env.textSize);
    const QColor secondary = BrandPalette::primary70(env.scheme);
    m_lead->setFont(support);
    m_lead->setColor(secondary);
    m_stepTitle->setFont(orbelFont(OrbelFont::TextSemibold, env.textSize));
    m_stepTitle->setColor(BrandPalette::primary(env.scheme));
    if (m_stepLabel) {
        m_stepLabel->setFont(support);
        m_stepLabel->setColor(secondary);
    }
    if (m_note) {
        m_note->setFont(support);
        m_note->setColor(secondary);
    }
    m_privacy->setFont(support);

    // A slim handle in the primary colour, like an overlay scroll bar.
    QColor handle = BrandPalette::primary(env.scheme);
    handle.setAlphaF(env.isDark() ? 0.35f : 0.3f);
    m_scroll->verticalScrollBar()->setStyleSheet(
        QStringLiteral("QScrollBar:vertical { background: transparent; width: %1px; margin: 0; }"
                       "QScrollBar::handle:vertical { background: rgba(%2, %3, %4, %5); border-radius: 3px;"
                       " min-height: 32px; margin: 0 2px; }"
                       "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; border: none;"
                       " background: none; }"
                       "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }")
            .arg(scrollBarWidth)
            .arg(handle.red())
            .arg(handle.green())
            .arg(handle.blue())
            .arg(handle.alpha()));
    scheduleMeasure();
}

} // namespace orbel
