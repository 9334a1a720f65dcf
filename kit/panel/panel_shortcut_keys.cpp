#include "panel_shortcut_keys.h"

#include "accessibility_element.h"
#include "accessibility_hidden.h"
#include "brand_palette.h"
#include "key_caps.h"
#include "orbel_font.h"
#include "orbel_metrics.h"
#include "symbol_view.h"
#include "text_label.h"

#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QPainter>

#include <utility>

namespace orbel {

namespace {

constexpr int chipPadding = 8;
constexpr int contentSpacing = 4;
constexpr qreal fillOpacity = 0.12;

} // namespace

PanelShortcutKeys::PanelShortcutKeys(const QStringList &keys, const std::optional<QString> &placeholder,
                                     const OrbelBrand &brand, bool hasConflict, bool isDisabled,
                                     const OrbelEnvironment &environment, QWidget *parent)
    : PanelShortcutKeys(keys, placeholder, brand, false, hasConflict, isDisabled, std::nullopt, environment, parent)
{
}

PanelShortcutKeys::PanelShortcutKeys(const QStringList &keys, const std::optional<QString> &placeholder,
                                     const OrbelBrand &brand, bool isEditing, bool hasConflict, bool isDisabled,
                                     std::optional<Editor> editor, const OrbelEnvironment &environment, QWidget *parent)
    : QAbstractButton(parent), EnvironmentAware(environment), m_keys(keys), m_placeholderText(placeholder),
      m_brand(brand), m_isEditing(isEditing), m_hasConflict(hasConflict), m_isDisabled(isDisabled),
      m_editor(std::move(editor))
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    // A button's roles would turn the placeholder into button text.
    setBackgroundRole(QPalette::Window);
    setForegroundRole(QPalette::WindowText);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(chipPadding, 0, chipPadding, 0);
    layout->setSpacing(contentSpacing);
    m_status = new SymbolView(statusSymbol(), tint(), this);
    m_status->setFrameWidth(OrbelMetrics::chipIconWidth);
    m_status->setVisible(!statusSymbol().isEmpty());
    layout->addWidget(m_status, 0, Qt::AlignVCenter);
    if (m_placeholderText) {
        m_placeholder = new TextLabel(*m_placeholderText, this);
        m_placeholder->setWordWrap(false);
        setAccessibilityHidden(m_placeholder);
        layout->addWidget(m_placeholder, 0, Qt::AlignVCenter);
    } else {
        auto *caps = new KeyCaps(keys, environment, this);
        setAccessibilityHidden(caps);
        layout->addWidget(caps, 0, Qt::AlignVCenter);
    }
    // Clicks land on the chip, whatever part of it is under the pointer.
    for (QWidget *child : findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        child->setAttribute(Qt::WA_TransparentForMouseEvents);

    if (m_editor) {
        setAccessibilityElement(this, QAccessible::Button);
        setAccessibleName(m_editor->label);
        setAccessibilityValue(this, spokenKeys());
        setAccessibleDescription(m_editor->hint);
        setToolTip(m_editor->help);
        setEnabled(!m_isDisabled);
        setFocusPolicy(Qt::TabFocus);
        connect(this, &QAbstractButton::clicked, this, [this] {
            if (m_editor && m_editor->edit)
                m_editor->edit();
        });
    } else {
        setAccessibilityElement(this, QAccessible::StaticText);
        setAccessibleName(spokenKeys());
        setFocusPolicy(Qt::NoFocus);
        // A display answers no clicks.
        setAttribute(Qt::WA_TransparentForMouseEvents);
        if (m_isDisabled) {
            auto *faded = new QGraphicsOpacityEffect(this);
            faded->setOpacity(0.5);
            setGraphicsEffect(faded);
        }
    }
    environmentChanged();
}

QColor PanelShortcutKeys::tint() const
{
    const ColorScheme scheme = environment().scheme;
    return m_hasConflict ? BrandPalette::attention(scheme) : m_brand.accent(scheme);
}

QString PanelShortcutKeys::statusSymbol() const
{
    if (m_hasConflict)
        return QStringLiteral("exclamationmark.circle");
    return m_isEditing ? QStringLiteral("pencil") : QString();
}

QColor PanelShortcutKeys::fillColor() const
{
    if (!m_isEditing && !m_hasConflict)
        return Qt::transparent;
    QColor fill = tint();
    fill.setAlphaF(fillOpacity);
    return fill;
}

QString PanelShortcutKeys::spokenKeys() const
{
    return m_placeholderText ? *m_placeholderText : KeyCaps::spokenKeys(m_keys);
}

QSize PanelShortcutKeys::sizeHint() const
{
    const QSize content = layout()->sizeHint();
    return {content.width(), qMax(OrbelMetrics::actionRowMinHeight, content.height())};
}

void PanelShortcutKeys::environmentChanged()
{
    const OrbelEnvironment &env = environment();
    setFont(orbelFont(OrbelFont::Detail, env.textSize));
    m_status->setTint(tint());
    if (m_placeholder) {
        m_placeholder->setFont(font());
        m_placeholder->setColor(BrandPalette::primary70(env.scheme));
    }
    update();
}

void PanelShortcutKeys::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal radius = OrbelMetrics::actionRowCornerRadius;
    if (m_isEditing || m_hasConflict) {
        // The border lies inside the chip's outline.
        painter.setPen(QPen(tint(), 1));
        painter.setBrush(fillColor());
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    }
    if (hasFocus()) {
        // Keyboard focus, as the panel's other controls show it.
        painter.setPen(QPen(tint(), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), radius - 1, radius - 1);
    }
}

} // namespace orbel
