// Helpers shared by the kit tests: a sample brand and a login item over a
// folder of its own.
#pragma once

#include "login_item.h"
#include "orbel_brand.h"
#include "orbel_environment.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace orbel::test {

// The program's own brand: a warm amber with a slightly deeper light accent.
inline OrbelBrand sampleBrand()
{
    return OrbelBrand(QStringLiteral("Pelorin"), QColor(184, 115, 0), OrbelBrand::Connection::Offline, std::nullopt,
                      QColor(176, 112, 0));
}

// A login item over an autostart folder of its own, never the user's.
struct ScratchLoginItem {
    explicit ScratchLoginItem(const QString &appId)
        : identity([&] {
              AutostartIdentity made;
              made.appId = appId;
              made.name = QStringLiteral("Test");
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
