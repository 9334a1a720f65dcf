#include "welcome_step_detail.h"

#include "orbel_font.h"
#include "paragraph_label.h"

#include <QVBoxLayout>

namespace orbel {

namespace {

constexpr int detailIndent = 32;
constexpr int detailBottom = 12;

} // namespace

WelcomeStepDetail::WelcomeStepDetail(int spacing, const OrbelEnvironment &environment, QWidget *parent)
    : QWidget(parent), EnvironmentAware(environment)
{
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(detailIndent, 0, 0, detailBottom);
    m_layout->setSpacing(spacing);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    environmentChanged();
}

void WelcomeStepDetail::addWidget(QWidget *widget)
{
    widget->setParent(this);
    m_layout->addWidget(widget);
}

TextLabel *WelcomeStepDetail::addText(const QString &text)
{
    auto *label = new ParagraphLabel(text, this);
    addWidget(label);
    return label;
}

void WelcomeStepDetail::environmentChanged()
{
    // Texts that set no font of their own take this one.
    setFont(orbelFont(OrbelFont::Support, environment().textSize));
}

} // namespace orbel
