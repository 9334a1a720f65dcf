#include "preferences_layout.h"

#include "preferences_chrome.h"
#include "preferences_header.h"

#include <QVBoxLayout>

namespace orbel {

PreferencesLayout::PreferencesLayout(const OrbelBrand &brand, const QString &title, QWidget *content,
                                     const OrbelEnvironment &environment, QWidget *parent)
    : QWidget(parent), EnvironmentAware(environment), m_content(content ? content : new QWidget)
{
    auto *stackHolder = new QWidget;
    auto *stack = new QVBoxLayout(stackHolder);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(spacing);
    m_header = new PreferencesHeader(title, true, environment, stackHolder);
    stack->addWidget(m_header);
    m_content->setParent(stackHolder);
    stack->addWidget(m_content);
    // Anything the window adds below the content stays empty.
    stack->addStretch(1);

    m_chrome = new PreferencesChrome(brand, pageWidth, stackHolder, environment, this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_chrome);
    // The height follows the ideal height at the fixed width, not the sum of
    // every part's minimum, also when the page is a window of its own.
    layout->setSizeConstraint(QLayout::SetNoConstraint);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
}

QSize PreferencesLayout::sizeHint() const
{
    return {pageWidth, heightForWidth(pageWidth)};
}

QSize PreferencesLayout::minimumSizeHint() const
{
    return sizeHint();
}

} // namespace orbel
