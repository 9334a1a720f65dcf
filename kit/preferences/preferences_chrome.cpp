#include "preferences_chrome.h"

#include "brand_background.h"
#include "keyboard_use_tracker.h"

#include <QApplication>
#include <QChildEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>
#include <QVBoxLayout>

namespace orbel {

namespace {

constexpr char sweptProperty[] = "orbelChromeSwept";

// The desktop style without its focus effects: no focus frames, and no focus
// highlight on a control's outline. Inside the chrome the kit's own rings
// show focus, and only to keyboard users.
class FramelessFocusStyle final : public QProxyStyle {
public:
    explicit FramelessFocusStyle(QStyle *base) : QProxyStyle(base) {}

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override
    {
        if (element == PE_FrameFocusRect)
            return;
        const Unfocused unfocused(option);
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }

    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget) const override
    {
        const Unfocused unfocused(option);
        QProxyStyle::drawControl(element, option, painter, widget);
    }

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex *option, QPainter *painter,
                            const QWidget *widget) const override
    {
        const Unfocused unfocused(option);
        QProxyStyle::drawComplexControl(control, option, painter, widget);
    }

private:
    // Draws an option as if its control had no focus, and puts the flag
    // back afterwards: the option belongs to the widget that is painting.
    class Unfocused {
    public:
        explicit Unfocused(const QStyleOption *option)
            : m_option(const_cast<QStyleOption *>(option)), m_state(option ? option->state : QStyle::State())
        {
            if (m_option)
                m_option->state &= ~QStyle::State_HasFocus;
        }
        ~Unfocused()
        {
            if (m_option)
                m_option->state = m_state;
        }
        Unfocused(const Unfocused &) = delete;
        Unfocused &operator=(const Unfocused &) = delete;

    private:
        QStyleOption *m_option;
        QStyle::State m_state;
    };
};

QStyle *desktopStyleCopy()
{
    // The proxy takes ownership of its base, so it gets a copy of the
    // application's style rather than the shared instance.
    QStyle *copy = QApplication::style() ? QStyleFactory::create(QApplication::style()->name()) : nullptr;
    return copy ? copy : QStyleFactory::create(QStringLiteral("Fusion"));
}

} // namespace

PreferencesChrome::PreferencesChrome(const OrbelBrand &brand, int width, QWidget *content,
                                     const OrbelEnvironment &environment, QWidget *parent)
    : QWidget(parent), EnvironmentAware(environment), m_brand(brand), m_width(width),
      m_content(content ? content : new QWidget)
{
    m_frameless = new FramelessFocusStyle(desktopStyleCopy());
    m_frameless->setParent(this);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_content->setParent(this);
    m_content->setContentsMargins(contentMargins());
    layout->addWidget(m_content);
    // The height follows the ideal height at the fixed width, not the sum of
    // every part's minimum, also when the page is a window of its own.
    layout->setSizeConstraint(QLayout::SetNoConstraint);

    setFixedWidth(m_width);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);

    // The focus session lives as long as the chrome: a window opened again
    // with a new chrome starts with no key pressed.
    m_tracker = new KeyboardUseTracker(this);
    connect(m_tracker, &KeyboardUseTracker::keyboardUsedChanged, this, [this](bool used) {
        propagateEnvironment(this, childEnvironment());
        Q_EMIT keyboardUsedChanged(used);
    });

    switchOffFocusFrames(m_content);
    propagateEnvironment(this, childEnvironment());
}

QMargins PreferencesChrome::contentMargins()
{
    return {margin, topPadding + margin, margin, margin};
}

QRect PreferencesChrome::column() const
{
    return m_content->geometry().marginsRemoved(m_content->contentsMargins());
}

bool PreferencesChrome::keyboardUsed() const
{
    return m_tracker->keyboardUsed();
}

const BrandFocusSession &PreferencesChrome::session() const
{
    return m_tracker->session();
}

QSize PreferencesChrome::sizeHint() const
{
    const int height = hasHeightForWidth() ? heightForWidth(m_width) : QWidget::sizeHint().height();
    return {m_width, height};
}

QSize PreferencesChrome::minimumSizeHint() const
{
    return {m_width, QWidget::minimumSizeHint().height()};
}

OrbelEnvironment PreferencesChrome::childEnvironment() const
{
    OrbelEnvironment inner = environment();
    inner.tint = m_brand.accent(inner.scheme);
    inner.keyboardUsed = m_tracker && m_tracker->keyboardUsed();
    return inner;
}

void PreferencesChrome::environmentChanged()
{
    update();
}

void PreferencesChrome::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    BrandBackground::paint(painter, rect(), m_brand.color(), environment().scheme);
}

void PreferencesChrome::switchOffFocusFrames(QWidget *root)
{
    // Pop-up windows (a menu, say) are not part of the page.
    if (root->isWindow())
        return;
    if (!root->property(sweptProperty).toBool()) {
        root->setProperty(sweptProperty, true);
        // Watched for children added later.
        root->installEventFilter(this);
    }
    root->setAttribute(Qt::WA_MacShowFocusRect, false);
    // A widget with a style or style sheet of its own (a focus ring, say)
    // keeps it.
    if (!root->testAttribute(Qt::WA_SetStyle) && root->styleSheet().isEmpty())
        root->setStyle(m_frameless);
    const QList<QWidget *> children = root->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    for (QWidget *child : children)
        switchOffFocusFrames(child);
}

bool PreferencesChrome::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ChildPolished) {
        // A polished child is fully built, so its style can change now.
        if (auto *child = qobject_cast<QWidget *>(static_cast<QChildEvent *>(event)->child()))
            switchOffFocusFrames(child);
    } else if (event->type() == QEvent::ChildAdded && !m_pendingSweep) {
        // A child that was polished elsewhere arrives without a polish event
        // here; it is handled once the event loop turns and it is complete.
        if (static_cast<QChildEvent *>(event)->child()->isWidgetType()) {
            m_pendingSweep = true;
            QMetaObject::invokeMethod(
                this,
                [this] {
                    m_pendingSweep = false;
                    switchOffFocusFrames(m_content);
                },
                Qt::QueuedConnection);
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace orbel
