#pragma once

// What the kit's pictures are made of: the program's brand, the environment
// of a scheme, and a few ways of putting pieces side by side.

#include "login_item.h"
#include "orbel_brand.h"
#include "orbel_environment.h"
#include "orbel_font.h"
#include "text_label.h"

#include <QString>
#include <QTemporaryDir>

#include <initializer_list>

class QWidget;

namespace pelorin::gallery {

// The program's own brand: a warm amber with a slightly deeper light accent.
orbel::OrbelBrand sampleBrand(orbel::OrbelBrand::Connection connection = orbel::OrbelBrand::Connection::Offline);
// The scheme with motion reduced, so nothing is caught half way.
orbel::OrbelEnvironment sampleEnvironment(orbel::ColorScheme scheme, orbel::TextSize size = orbel::TextSize::Large);
// "light" or "dark", the last part of every picture's name.
QString schemeName(orbel::ColorScheme scheme);

// A login item whose entry goes into a folder of its own, never the user's.
struct SampleLoginItem {
    SampleLoginItem();

    QTemporaryDir home;
    orbel::LoginItem item;
};

// Widgets left to right, vertically centred, with room between them.
QWidget *sampleRow(std::initializer_list<QWidget *> widgets, int spacing = 16);
// Widgets top to bottom.
QWidget *sampleColumn(std::initializer_list<QWidget *> widgets, int spacing = 8);
// A line of text in the scheme's primary colour.
orbel::TextLabel *sampleText(const QString &words, orbel::ColorScheme scheme,
                             orbel::OrbelFont role = orbel::OrbelFont::Detail);

} // namespace pelorin::gallery
