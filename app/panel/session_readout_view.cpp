#include "session_readout_view.h"

#include "accessibility_hidden.h"
#include "app_model.h"
#include "flap_flow.h"
#include "orbel_font.h"
#include "orbel_metrics.h"
#include "pelorin_preferences.h"
#include "split_flap.h"
#include "text_label.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace pelorin {

namespace {

using orbel::OrbelMetrics::cardCornerRadius;
using orbel::OrbelMetrics::cardPadding;
using orbel::OrbelMetrics::gapS;
using orbel::OrbelMetrics::readoutMinHeight;

// The board's characters, and the dimmer ones while nothing runs ("OFF",
// "READY").
const QColor ink(245, 241, 232);
const QColor offInk(210, 208, 201);
// The caption, the status line and the colons.
const QColor support(200, 198, 192);

// The card as one element for screen readers. Qt 6.4 hands a widget's value
// text to AT-SPI only through the text or value interfaces, and the value
// interface carries numbers alone there; so the spoken readout is offered as
// the element's read-only text as well as its value.
class ReadoutAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit ReadoutAccessible(SessionReadoutView *view) : QAccessibleWidget(view, QAccessible::StaticText) {}

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text kind) const override
    {
        switch (kind) {
        case QAccessible::Name:
            return view()->accessibleCaption();
        case QAccessible::Value:
            return view()->accessibleReadout();
        default:
            return QAccessibleWidget::text(kind);
        }
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = true;
        state.focusable = false;
        return state;
    }

    // The caption, board and status line are read through the card alone.
    int childCount() const override { return 0; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }

    // Read-only text: the value, with no caret and no selection.
    void selection(int, int *startOffset, int *endOffset) const override
    {
        *startOffset = 0;
        *endOffset = 0;
    }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int startOffset, int endOffset) const override
    {
        const QString value = view()->accessibleReadout();
        const qsizetype start = std::clamp<qsizetype>(startOffset, 0, value.size());
        const qsizetype end = endOffset < 0 ? value.size() : std::clamp<qsizetype>(endOffset, start, value.size());
        return value.mid(start, end - start);
    }
    int characterCount() const override { return int(view()->accessibleReadout().size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint &) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int *startOffset, int *endOffset) const override
    {
        *startOffset = 0;
        *endOffset = characterCount();
        return {};
    }

private:
    SessionReadoutView *view() const { return static_cast<SessionReadoutView *>(widget()); }
};

QAccessibleInterface *readoutFactory(const QString &, QObject *object)
{
    if (auto *view = qobject_cast<SessionReadoutView *>(object))
        return new ReadoutAccessible(view);
    return nullptr;
}

void installReadoutAccessibility(QWidget *view)
{
    static const bool installed = [] {
        QAccessible::installFactory(readoutFactory);
        return true;
    }();
    Q_UNUSED(installed);
    // An interface made for the view before the factory existed would be
    // the plain widget kind; forget it.
    QAccessibleInterface *current = QAccessible::queryAccessibleInterface(view);
    if (current && !dynamic_cast<ReadoutAccessible *>(current))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(current));
}

orbel::TextLabel *makeLine(QWidget *parent)
{
    auto *label = new orbel::TextLabel(QString(), parent);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    // As tall as its text at the card's width, however many lines that takes.
    label->setSizePolicy(orbel::TextLabel::growingPolicy());
    label->setColor(support);
    orbel::setAccessibilityHidden(label);
    return label;
}

} // namespace

SessionReadoutView::SessionReadoutView(AppModel &model, const orbel::OrbelEnvironment &environment, QString locale,
                                       QWidget *parent)
    : QWidget(parent), EnvironmentAware(environment), m_model(&model), m_locale(std::move(locale)),
      m_clock([] { return Date::now(); }), m_facts([&model] { return liveFacts(model); }), m_caption(makeLine(this)),
      m_flaps(new FlapBoard(environment.scheme, this)), m_status(makeLine(this))
{
    installReadoutAccessibility(this);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    setMinimumHeight(readoutMinHeight);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(cardPadding, cardPadding, cardPadding, cardPadding);
    layout->setSpacing(gapS);
    // The stretches centre the stack when the card's minimum height is the
    // taller; they take no spacing of their own, nor does a hidden status line.
    layout->addStretch(1);
    layout->addWidget(m_caption);
    layout->addWidget(m_flaps);
    layout->addWidget(m_status);
    layout->addStretch(1);

    applyFonts();

    connect(&model.countdown(), &Countdown::stateChanged, this, &SessionReadoutView::refresh);
    connect(&model.preferences(), &PelorinPreferences::armedChanged, this, &SessionReadoutView::refresh);
    connect(&model, &AppModel::panelVisibleChanged, this, &SessionReadoutView::refresh);
    // Nothing is left to count once the model is gone.
    connect(&model, &QObject::destroyed, this, [this] { m_timeline.reset(); });
    refresh();
}

SessionReadoutView::~SessionReadoutView() = default;

SessionFacts SessionReadoutView::liveFacts(const AppModel &model)
{
    const Countdown &countdown = model.countdown();
    return {countdown.state(), countdown.remaining(), model.preferences().armed()};
}

void SessionReadoutView::setFacts(Facts facts)
{
    m_facts = std::move(facts);
    refresh();
}

void SessionReadoutView::setClock(std::function<Date()> clock)
{
    m_clock = std::move(clock);
}

void SessionReadoutView::refresh()
{
    if (!m_model) {
        m_timeline.reset();
        return;
    }
    const SessionFacts facts = m_facts();
    const bool announcing = QAccessible::isActive();
    const QString oldCaption = announcing ? m_board.caption() : QString();
    const QString oldValue = announcing ? m_board.accessibilityValue() : QString();
    m_board = ReadoutBoard::of(facts, m_model->panelVisible(), m_clock(), m_locale);

    const std::optional<SessionID> session = m_board.ticks ? std::optional(facts.state.session()->id) : std::nullopt;
    if (m_board.ticks != hasTimeline() || session != m_timelineSession) {
        // Another body of the card: a fresh board, which shows its first
        // time without a flip.
        m_flaps->clear();
        m_timelineSession = session;
        m_timeline.reset();
        if (m_board.ticks) {
            m_timeline = std::make_unique<QTimer>();
            m_timeline->setSingleShot(true);
            m_timeline->setTimerType(Qt::PreciseTimer);
            connect(m_timeline.get(), &QTimer::timeout, this, &SessionReadoutView::refresh);
        }
    }

    m_caption->setText(m_board.caption());
    m_flaps->setColors(m_board.isDimmed() ? offInk : ink, support);
    m_flaps->setPieces(m_board.pieces(), m_board.isCountdown() && !environment().reduceMotion);
    if (const std::optional<QString> status = m_board.statusLine()) {
        m_status->setText(*status);
        m_status->setHidden(false);
    } else {
        m_status->setHidden(true);
        m_status->clear();
    }

    if (m_timeline)
        scheduleTick(facts.remaining);
    if (announcing)
        announce(oldCaption, oldValue);
}

void SessionReadoutView::scheduleTick(std::optional<Duration> remaining)
{
    // The board changes when the time left passes a whole second (it shows
    // the time rounded up), so the next tick waits for that moment.
    int ms = 1000;
    if (remaining && *remaining > Duration::zero()) {
        const Duration::Components parts = remaining->components();
        constexpr std::int64_t attosecondsPerMs = 1'000'000'000'000'000;
        if (parts.attoseconds > 0)
            ms = int((parts.attoseconds + attosecondsPerMs - 1) / attosecondsPerMs);
    }
    m_timeline->start(std::clamp(ms, 1, 1000));
}

void SessionReadoutView::announce(const QString &oldCaption, const QString &oldValue)
{
    if (m_board.caption() != oldCaption) {
        QAccessibleEvent event(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
    const QString value = m_board.accessibilityValue();
    if (value != oldValue) {
        QAccessibleTextUpdateEvent event(this, 0, oldValue, value);
        QAccessible::updateAccessibility(&event);
    }
}

void SessionReadoutView::applyFonts()
{
    const QFont detail = orbel::orbelFont(orbel::OrbelFont::Detail, environment().textSize);
    m_caption->setFont(detail);
    m_status->setFont(detail);
    m_flaps->setFont(orbel::orbelFont(orbel::OrbelFont::Readout, environment().textSize));
}

void SessionReadoutView::environmentChanged()
{
    applyFonts();
    m_flaps->setScheme(environment().scheme);
    refresh();
    update();
}

int SessionReadoutView::heightForWidth(int width) const
{
    return std::max(readoutMinHeight, layout()->totalHeightForWidth(width));
}

QSize SessionReadoutView::sizeHint() const
{
    const int width = FlapFlow::openWidth + 2 * cardPadding;
    return {width, heightForWidth(width)};
}

QSize SessionReadoutView::minimumSizeHint() const
{
    return {2 * cardPadding, readoutMinHeight};
}

void SessionReadoutView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath card;
    card.addRoundedRect(QRectF(rect()), cardCornerRadius, cardCornerRadius);
    painter.fillPath(card, readoutCardColor(environment().scheme));
}

} // namespace pelorin
