#include "welcome_layout.h"

#include "accessibility_hidden.h"
#include "app_icon.h"
#include "brand_palette.h"
#include "glass_card.h"
#include "keyboard_use_tracker.h"
#include "login_item.h"
#include "orbel_font.h"
#include "orbel_metrics.h"
#include "orbel_switch.h"
#include "preferences_focus_ring.h"
#include "privacy_line.h"
#include "text_label.h"
#include "welcome_button.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPointer>
#include <QVBoxLayout>

#include <utility>

namespace orbel {

namespace {

constexpr int padding = 24;
constexpr int sectionSpacing = 24;
constexpr int headingSpacing = 8;
constexpr int cardSpacing = 16;
constexpr int privacySpacing = 4;
constexpr int footerSpacing = 16;
constexpr int switchLabelSpacing = 8;
constexpr int iconSize = 88;

} // namespace

WelcomeLayout::WelcomeLayout(Setup setup, QWidget *extra, const QList<QWidget *> &permissions,
                             const OrbelEnvironment &environment, QWidget *parent)
    : WelcomeLayout(std::move(setup), extra, permissions, LoginItem::shared(), environment, parent)
{
}

WelcomeLayout::WelcomeLayout(Setup setup, QWidget *extra, const QList<QWidget *> &permissions, LoginItem &login,
                             const OrbelEnvironment &environment, QWidget *parent)
    : QWidget(parent), EnvironmentAware(environment), m_login(&login), m_extra(extra)
{
    // The parts sit straight in the page, so focus rings have its padding
    // to draw in.
    auto *stack = new QVBoxLayout(this);
    stack->setContentsMargins(padding, padding, padding, padding);
    stack->setSpacing(sectionSpacing);

    m_icon = new AppIcon(iconSize, this);
    stack->addWidget(m_icon, 0, Qt::AlignHCenter);

    auto *heading = new QVBoxLayout;
    heading->setSpacing(headingSpacing);
    m_title = new TextLabel(setup.title, this);
    m_title->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_title->setSizePolicy(TextLabel::growingPolicy());
    heading->addWidget(m_title);
    m_subtitle = new TextLabel(setup.subtitle, this);
    m_subtitle->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_subtitle->setSizePolicy(TextLabel::growingPolicy());
    heading->addWidget(m_subtitle);
    stack->addLayout(heading);

    if (m_extra) {
        m_extra->setParent(this);
        stack->addWidget(m_extra);
    }

    m_card = new GlassCard(cardSpacing, environment, this);
    for (QWidget *permission : permissions) {
        if (permission)
            m_card->addWidget(permission);
    }
    stack->addWidget(m_card);

    m_privacy = new QWidget(this);
    auto *privacy = new QVBoxLayout(m_privacy);
    privacy->setContentsMargins(0, 0, 0, 0);
    privacy->setSpacing(privacySpacing);
    privacy->addWidget(setup.brand.privacyLine(environment, m_privacy));
    privacy->addWidget(new PrivacyLine(setup.privacy, setup.privacySymbol, environment, m_privacy));
    stack->addWidget(m_privacy);

    auto *footer = new QHBoxLayout;
    footer->setSpacing(footerSpacing);
    auto *toggle = new QHBoxLayout;
    toggle->setSpacing(switchLabelSpacing);
    m_switchLabel = new TextLabel(tr("Open at Login"), this);
    m_switchLabel->setWordWrap(false);
    m_switchLabel->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    // The switch carries the same words as its name.
    setAccessibilityHidden(m_switchLabel);
    toggle->addWidget(m_switchLabel, 0, Qt::AlignVCenter);
    m_switch = new OrbelSwitch(tr("Open at Login"), environment, this);
    m_switch->setControlSize(OrbelSwitch::ControlSize::Small);
    m_switch->setTint(setup.brand.color());
    m_switch->setBinding({[login = QPointer<LoginItem>(&login)] { return login && login->isEnabled(); },
                          [login = QPointer<LoginItem>(&login)](bool on) {
                              if (login)
                                  login->setEnabled(on);
                          }});
    preferencesFocusRing(m_switch, RingShape::capsule(), environment);
    connect(&login, &LoginItem::enabledChanged, m_switch, &OrbelSwitch::syncFromBinding);
    toggle->addWidget(m_switch, 0, Qt::AlignVCenter);
    footer->addLayout(toggle);
    footer->addStretch(1);
    auto *start = new WelcomeButton(WelcomeStepsButton{tr("Get Started"), false, std::move(setup.start)}, setup.brand,
                                    true, environment, this);
    start->setDefault(true);
    footer->addWidget(start, 0, Qt::AlignVCenter);
    stack->addLayout(footer);

    setFixedWidth(pageWidth);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);

    // Rings show once a key has been pressed since the window became active.
    m_tracker = new KeyboardUseTracker(this);
    connect(m_tracker, &KeyboardUseTracker::keyboardUsedChanged, this,
            [this] { propagateEnvironment(this, childEnvironment()); });
    environmentChanged();
}

OrbelEnvironment WelcomeLayout::childEnvironment() const
{
    OrbelEnvironment inner = environment();
    inner.keyboardUsed = m_tracker && m_tracker->keyboardUsed();
    return inner;
}

QSize WelcomeLayout::sizeHint() const
{
    return {pageWidth, heightForWidth(pageWidth)};
}

QSize WelcomeLayout::minimumSizeHint() const
{
    return sizeHint();
}

void WelcomeLayout::showEvent(QShowEvent *event)
{
    // The system's settings may have changed the login item while the page
    // was hidden. Reading it registers nothing.
    if (m_login)
        m_login->refresh();
    m_switch->syncFromBinding();
    QWidget::showEvent(event);
}

void WelcomeLayout::paintEvent(QPaintEvent *)
{
    QPainter(this).fillRect(rect(), BrandPalette::background(environment().scheme));
}

void WelcomeLayout::environmentChanged()
{
    const OrbelEnvironment &env = environment();
    m_title->setFont(orbelFont(OrbelFont::WelcomeTitle, env.textSize));
    m_title->setColor(BrandPalette::primary(env.scheme));
    m_subtitle->setFont(textStyleFont(TextStyle::Body, env.textSize));
    m_subtitle->setColor(BrandPalette::primary70(env.scheme));
    m_privacy->setFont(orbelFont(OrbelFont::Detail, env.textSize));
    m_switchLabel->setFont(textStyleFont(TextStyle::Body, env.textSize));
    m_switchLabel->setColor(BrandPalette::primary(env.scheme));
    update();
}

} // namespace orbel
