#include "kit_samples.h"

#include "brand_palette.h"

#include <QHBoxLayout>
#include <QVBoxLayout>
#include <QWidget>

namespace pelorin::gallery {

orbel::OrbelBrand sampleBrand(orbel::OrbelBrand::Connection connection)
{
    return orbel::OrbelBrand(QStringLiteral("Pelorin"), QColor(184, 115, 0), connection, std::nullopt,
                             QColor(176, 112, 0));
}

orbel::OrbelEnvironment sampleEnvironment(orbel::ColorScheme scheme, orbel::TextSize size)
{
    orbel::OrbelEnvironment environment;
    environment.scheme = scheme;
    environment.textSize = size;
    environment.reduceMotion = true;
    return environment;
}

SampleLoginItem::SampleLoginItem()
    : item(orbel::AutostartEntry([this] {
          orbel::AutostartIdentity identity;
          identity.appId = QStringLiteral("org.example.Gallery");
          identity.programPath = QStringLiteral("/usr/bin/true");
          identity.configHome = home.path();
          return identity;
      }()))
{
}

QString schemeName(orbel::ColorScheme scheme)
{
    return scheme == orbel::ColorScheme::Dark ? QStringLiteral("dark") : QStringLiteral("light");
}

QWidget *sampleRow(std::initializer_list<QWidget *> widgets, int spacing)
{
    auto *holder = new QWidget;
    auto *layout = new QHBoxLayout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    for (QWidget *widget : widgets)
        layout->addWidget(widget, 0, Qt::AlignVCenter);
    layout->addStretch(1);
    return holder;
}

QWidget *sampleColumn(std::initializer_list<QWidget *> widgets, int spacing)
{
    auto *holder = new QWidget;
    auto *layout = new QVBoxLayout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    for (QWidget *widget : widgets)
        layout->addWidget(widget);
    return holder;
}

orbel::TextLabel *sampleText(const QString &words, orbel::ColorScheme scheme, orbel::OrbelFont role)
{
    auto *label = new orbel::TextLabel(words);
    label->setFont(orbel::orbelFont(role));
    label->setColor(orbel::BrandPalette::primary(scheme));
    return label;
}

} // namespace pelorin::gallery
