// Helpers shared by the kit tests: environments, a sample brand, rendering
// widgets to images.
#pragma once

#include "brand_background.h"
#include "brand_palette.h"
#include "login_item.h"
#include "orbel_brand.h"
#include "orbel_environment.h"
#include "widget_pictures.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <ostream>
#include <string>

namespace orbel::test {

inline OrbelEnvironment environmentFor(ColorScheme scheme)
{
    OrbelEnvironment environment;
    environment.scheme = scheme;
    return environment;
}

inline const char *schemeName(ColorScheme scheme)
{
    return scheme == ColorScheme::Dark ? "dark" : "light";
}

} // namespace orbel::test

namespace orbel {

// Names the scheme in test output.
inline void PrintTo(ColorScheme scheme, std::ostream *out)
{
    *out << test::schemeName(scheme);
}

} // namespace orbel

namespace orbel::test {

// The program's own brand: a warm amber with a slightly deeper light accent.
inline OrbelBrand sampleBrand(OrbelBrand::Connection connection = OrbelBrand::Connection::Offline)
{
    return OrbelBrand(QStringLiteral("Pelorin"), QColor(184, 115, 0), connection, std::nullopt, QColor(176, 112, 0));
}

using pelorin::test::layOut;
using pelorin::test::render;

// A login item over an autostart folder of its own, never the user's.
struct ScratchLoginItem {
    explicit ScratchLoginItem(const QString &appId)
        : identity([&] {
              AutostartIdentity made;
              made.appId = appId;
              made.programPath = QStringLiteral("/usr/bin/true");
              made.configHome = home.path();
              return made;
          }()),
          item(AutostartEntry(identity))
    {
    }

    QString entryPath() const
    {
        return home.path() + QStringLiteral("/autostart/") + identity.appId + QStringLiteral(".desktop");
    }

    QTemporaryDir home;
    AutostartIdentity identity;
    LoginItem item;
};

} // namespace orbel::test
