#include "panel_footer.h"

#include "brand_palette.h"
#include "item_list_layout.h"
#include "orbel_font.h"
#include "orbel_metrics.h"
#include "panel_footer_button.h"
#include "privacy_line.h"
#include "text_label.h"

#include <QCoreApplication>
#include <QPainter>
#include <QShortcut>
#include <QVBoxLayout>

#include <algorithm>
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

// The version caption at the leading edge and the round buttons at the
// trailing edge, on one line when they fit there with a gap between them.
// Where they do not (the largest text sizes), the caption takes a line of its
// own and the buttons follow on the next, still at the trailing edge: the
// caption is never shortened and nothing overlaps. The first item is the
// caption, the others the buttons.
class CaptionRowLayout : public ItemListLayout {
public:
    explicit CaptionRowLayout(QWidget *parent) : ItemListLayout(parent)
    {
        setContentsMargins(0, 0, 0, 0);
        setSpacing(OrbelMetrics::gapS);
    }

    Qt::Orientations expandingDirections() const override { return Qt::Horizontal; }
    bool hasHeightForWidth() const override { return true; }

    int heightForWidth(int width) const override
    {
        const QSize caption = captionSize();
        const QSize buttons = buttonsSize();
        if (fitsOnOneLine(width))
            return std::max(caption.height(), buttons.height());
        return caption.height() + (caption.isEmpty() || buttons.isEmpty() ? 0 : spacing()) + buttons.height();
    }

    QSize sizeHint() const override
    {
        const QSize caption = captionSize();
        const QSize buttons = buttonsSize();
        return {caption.width() + spacing() + buttons.width(), std::max(caption.height(), buttons.height())};
    }

    QSize minimumSize() const override
    {
        const QSize caption = captionSize();
        const QSize buttons = buttonsSize();
        return {std::max(caption.width(), buttons.width()), std::max(caption.height(), buttons.height())};
    }

    void setGeometry(const QRect &rect) override
    {
        QLayout::setGeometry(rect);
        const QSize caption = captionSize();
        const QSize buttons = buttonsSize();
        const bool oneLine = fitsOnOneLine(rect.width());
        const int lineHeight = std::max(caption.height(), buttons.height());
        if (QLayoutItem *item = captionItem()) {
            const int top = oneLine ? (lineHeight - caption.height()) / 2 : 0;
            item->setGeometry(QRect(rect.topLeft() + QPoint(0, top), caption));
        }
        const int buttonsTop = oneLine ? 0 : caption.height() + (caption.isEmpty() ? 0 : spacing());
        const int rowHeight = oneLine ? lineHeight : buttons.height();
        int x = rect.right() + 1 - buttons.width();
        for (QLayoutItem *item : buttonItems()) {
            const QSize size = item->sizeHint();
            item->setGeometry(QRect(QPoint(x, rect.top() + buttonsTop + (rowHeight - size.height()) / 2), size));
            x += size.width() + spacing();
        }
    }

private:
    QLayoutItem *captionItem() const
    {
        return !m_items.isEmpty() && !m_items.first()->isEmpty() ? m_items.first() : nullptr;
    }

    QList<QLayoutItem *> buttonItems() const
    {
        QList<QLayoutItem *> buttons;
        for (qsizetype i = 1; i < m_items.size(); ++i) {
            if (!m_items[i]->isEmpty())
                buttons.append(m_items[i]);
        }
        return buttons;
    }

    QSize captionSize() const
    {
        const QLayoutItem *item = captionItem();
        return item ? item->sizeHint() : QSize(0, 0);
    }

    QSize buttonsSize() const
    {
        QSize total(0, 0);
        for (const QLayoutItem *item : buttonItems()) {
            const QSize size = item->sizeHint();
            total.rwidth() += (total.width() > 0 ? spacing() : 0) + size.width();
            total.rheight() = std::max(total.height(), size.height());
        }
        return total;
    }

    bool fitsOnOneLine(int width) const { return captionSize().width() + spacing() + buttonsSize().width() <= width; }
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
    m_privacyLines = privacyLines;
    auto *privacyStack = new QVBoxLayout(privacyLines);
    privacyStack->setContentsMargins(0, 0, 0, 0);
    privacyStack->setSpacing(OrbelMetrics::gapXS);
    privacyStack->addWidget(brand.privacyLine(environment, privacyLines));
    privacyStack->addWidget(new PrivacyLine(privacy, privacySymbol, environment, privacyLines));
    stack->addWidget(privacyLines);

    auto *row = new QWidget(this);
    auto *buttons = new CaptionRowLayout(row);
    m_version = new TextLabel(versionCaption(), row);
    m_version->setWordWrap(false);
    m_version->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    buttons->addWidget(m_version);

    if (showPreferences) {
        m_preferences = new PanelFooterButton(tr("Preferences"), QStringLiteral("gearshape"), environment, row);
        connect(m_preferences, &QAbstractButton::clicked, this, std::move(showPreferences));
        m_preferences->setFocusChanged(std::move(preferencesFocusChanged));
        addShortcut(m_preferences, QKeySequence(Qt::CTRL | Qt::Key_Comma));
        buttons->addWidget(m_preferences);
    }

    m_guide = new PanelFooterButton(tr("Getting Started"), QStringLiteral("questionmark.circle"), environment, row);
    if (showGuide)
        connect(m_guide, &QAbstractButton::clicked, this, std::move(showGuide));
    buttons->addWidget(m_guide);

    m_quit = new PanelFooterButton(tr("Quit"), QStringLiteral("power"), environment, row);
    m_quitConnection = connect(m_quit, &QAbstractButton::clicked, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    addShortcut(m_quit, QKeySequence(Qt::CTRL | Qt::Key_Q));
    buttons->addWidget(m_quit);

    stack->addWidget(row);
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
    const TextSize size = environment().textSize;
    m_privacyLines->setFont(textStyleFont(TextStyle::Callout, size));
    m_version->setFont(textStyleFont(TextStyle::Caption, size));
    const ColorScheme scheme = environment().scheme;
    static_cast<Divider *>(m_divider)->color = BrandPalette::separator(scheme);
    m_divider->update();
    m_version->setColor(BrandPalette::primary70(scheme));
}

} // namespace orbel
