// Pieces shared by the tests of the preferences and welcome kit: the
// program's own page contents, built the way its windows build them.
#pragma once

#include "brand_palette.h"
#include "orbel_environment.h"
#include "orbel_font.h"
#include "paragraph_label.h"
#include "text_label.h"
#include "welcome_steps_layout.h"

#include <QVBoxLayout>
#include <QWidget>

#include <utility>

namespace orbel::test {

inline TextLabel *paragraph(const QString &words, const QColor &color, const OrbelEnvironment &environment)
{
    auto *label = new ParagraphLabel(words);
    label->setFont(orbelFont(OrbelFont::Support, environment.textSize));
    label->setColor(color);
    return label;
}

// The welcome page's step card: three paragraphs, the first in the primary
// colour and the others in the secondary one, 16 apart.
inline QWidget *welcomeCard(const OrbelEnvironment &environment)
{
    auto *card = new QWidget;
    auto *layout = new QVBoxLayout(card);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(16);
    layout->addWidget(paragraph(QStringLiteral("When time runs out, or you turn Pelorin off, macOS can sleep again. "
                                               "Other apps may still keep it awake."),
                                BrandPalette::primary(environment.scheme), environment));
    layout->addWidget(paragraph(QStringLiteral("Closing the lid, critical battery, or choosing Sleep can still put "
                                               "your Mac to sleep. Pelorin does not resume after sleep or reopening."),
                                BrandPalette::primary70(environment.scheme), environment));
    layout->addWidget(paragraph(QStringLiteral("A timer does not know when another app has finished its work."),
                                BrandPalette::primary70(environment.scheme), environment));
    return card;
}

// The welcome page's arguments, with the caller's switch value and actions.
inline WelcomeStepsLayout::Setup welcomeSetup(const OrbelBrand &brand, Binding<bool> opensAtLogin,
                                              std::function<void()> finish)
{
    return WelcomeStepsLayout::Setup{
        .brand = brand,
        .title = QStringLiteral("Keep your Mac working"),
        .lead = QStringLiteral("Click a duration in the menu bar, and your Mac stays awake until it ends."),
        .step = 1,
        .stepCount = 1,
        .stepLabel = std::nullopt,
        .stepTitle = QStringLiteral("You decide when it ends"),
        .isStepDone = false,
        .privacy = QStringLiteral("Your Mac, under your control"),
        .privacySymbol = QStringLiteral("checkmark.shield"),
        .opensAtLogin = std::move(opensAtLogin),
        .skip = std::nullopt,
        .back = std::nullopt,
        .primary = WelcomeStepsButton{QStringLiteral("Let\u2019s go"), false, std::move(finish)},
        .note = std::nullopt,
    };
}

// A value the tests own, bound the way a window binds its switch.
struct BoundFlag {
    bool value = false;
    int writes = 0;

    Binding<bool> binding()
    {
        return {[this] { return value; },
                [this](bool on) {
                    value = on;
                    ++writes;
                }};
    }
};

} // namespace orbel::test
