#include "panel_footer.h"

#include "brand_palette.h"
#include "orbel_font.h"
#include "orbel_metrics.h"
#include "panel_footer_button.h"
#include "privacy_line.h"
#include "text_label.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QPainter>
#include <QShortcut>
#include <QVBoxLayout>

#include <utility>

namespace orbel {

namespace {

class Divider : public QWidget {
public:
    explicit Divider(QWidget *parent) : QWidget(parent)
    {
        setFixedHeight(1);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }

    QColor color;

protected:
    void paintEvent(QPaintEvent *) override { QPainter(this).fillRect(rect(), color); }
};

// A window-wide shortcut that presses the button at once, while the button is shown.
void addShortcut(QAbstractButton *button, const QKeySequence &keys)
{
    auto *shortcut = new QShortcut(keys, button);
    shortcut->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QShortcut::activated, button, &QAbstractButton::click);
}

} // namespace

PanelFooter::PanelFooter(const OrbelBrand &brand, const QString &privacy, const QString &privacySymbol,
                         std::function<void()> showGuide, std::function<void()> showPreferences,
                         std::function<void(bool)> preferencesFocusChanged, const OrbelEnvironment &environment,
                         QWidget *parent)
    : QWidget(parent), EnvironmentAware(environment)
{
    auto *stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(OrbelMetrics::gapM);

    m_divider = new Divider(this);
    stack->addWidget(m_divider);

    auto *privacyLines = new QWidget(this);
    privacyLines->setFont(textStyleFont(TextStyle::Callout, environment.textSize));
    auto *privacyStack = new QVBoxLayout(privacyLines);
    privacyStack->setContentsMargins(0, 0, 0, 0);
    privacyStack->setSpacing(OrbelMetrics::gapXS);
    privacyStack->addWidget(brand.privacyLine(environment, privacyLines));
    privacyStack->addWidget(new PrivacyLine(privacy, privacySymbol, environment, privacyLines));
    stack->addWidget(privacyLines);

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(OrbelMetrics::gapS);
    m_version = new TextLabel(versionCaption(), this);
    m_version->setWordWrap(false);
    m_version->setFont(textStyleFont(TextStyle::Caption, environment.textSize));
    m_version->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    buttons->addWidget(m_version, 0, Qt::AlignVCenter);
    buttons->addStretch(1);

    if (showPreferences) {
        m_preferences = new PanelFooterButton(tr("Preferences"), QStringLiteral("gearshape"), environment, this);
        connect(m_preferences, &QAbstractButton::clicked, this, std::move(showPreferences));
        m_preferences->setFocusChanged(std::move(preferencesFocusChanged));
        addShortcut(m_preferences, QKeySequence(Qt::CTRL | Qt::Key_Comma));
        buttons->addWidget(m_preferences, 0, Qt::AlignVCenter);
    }

    m_guide = new PanelFooterButton(tr("Getting Started"), QStringLiteral("questionmark.circle"), environment, this);
    if (showGuide)
        connect(m_guide, &QAbstractButton::clicked, this, std::move(showGuide));
    buttons->addWidget(m_guide, 0, Qt::AlignVCenter);

    m_quit = new PanelFooterButton(tr("Quit"), QStringLiteral("power"), environment, this);
    m_quitConnection = connect(m_quit, &QAbstractButton::clicked, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    addShortcut(m_quit, QKeySequence(Qt::CTRL | Qt::Key_Q));
    buttons->addWidget(m_quit, 0, Qt::AlignVCenter);

    stack->addLayout(buttons);
    environmentChanged();
}

void PanelFooter::setQuitAction(std::function<void()> quit)
{
    disconnect(m_quitConnection);
    // Run from the event loop, like the default, so whatever quitting does
    // to the panel never happens inside the button's own click.
    if (quit)
        m_quitConnection = connect(m_quit, &QAbstractButton::clicked, this, [quit = std::move(quit)] {
            QMetaObject::invokeMethod(qApp, quit, Qt::QueuedConnection);
        });
    else
        m_quitConnection =
            connect(m_quit, &QAbstractButton::clicked, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

QString PanelFooter::versionCaption(const QString &version)
{
    return QLatin1String("Orbelwick (") + (version.isEmpty() ? QStringLiteral("?") : version) + u')';
}

const QString &PanelFooter::versionCaption()
{
#ifdef ORBEL_VERSION
    static const QString caption = versionCaption(QStringLiteral(ORBEL_VERSION));
#else
    static const QString caption = versionCaption(QString());
#endif
    return caption;
}

void PanelFooter::environmentChanged()
{
    const ColorScheme scheme = environment().scheme;
    static_cast<Divider *>(m_divider)->color = BrandPalette::separator(scheme);
    m_divider->update();
    m_version->setColor(BrandPalette::primary70(scheme));
}

} // namespace orbel
