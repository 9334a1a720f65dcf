// Helpers shared by the kit tests: a sample brand, a login item over a folder
// of its own, and what a screen reader meets.
#pragma once

#include "login_item.h"
#include "orbel_brand.h"
#include "orbel_environment.h"

#include <QAccessible>
#include <QImage>
#include <QMap>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

// Texts in test output as text.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

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

// What `widget` draws (its children included) on a transparent picture, with
// no window background behind it.
inline QImage drawn(QWidget *widget)
{
    QImage picture(widget->size(), QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    widget->render(&picture, {}, {}, QWidget::DrawChildren);
    return picture;
}

// The stretches of a picture from drawn() that hold paint, along its middle
// row, left to right, as (first column, width).
inline QList<QPair<int, int>> paintedRuns(const QImage &picture)
{
    QList<QPair<int, int>> runs;
    for (int x = 0, start = -1; x <= picture.width(); ++x) {
        const bool painted = x < picture.width() && qAlpha(picture.pixel(x, picture.height() / 2)) > 0;
        if (painted && start < 0)
            start = x;
        if (!painted && start >= 0) {
            runs.append({start, x - start});
            start = -1;
        }
    }
    return runs;
}

// Whether some pixel of `picture` is exactly `colour` (to 8 bits a channel).
inline bool contains(const QImage &picture, const QColor &colour)
{
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (picture.pixel(x, y) == colour.rgba())
                return true;
        }
    }
    return false;
}

// What a screen reader meets in `widget`, in the order it meets it: every
// element it can see that has a name, as "role: name", followed by " = value",
// " (description)" and " [selected]" where they apply. Switches read as
// "switch", plain widgets as "group".
inline QStringList spoken(QWidget *widget)
{
    const QMap<QAccessible::Role, QString> roles{
        {QAccessible::Button, QStringLiteral("button")},   {QAccessible::Client, QStringLiteral("group")},
        {QAccessible::CheckBox, QStringLiteral("switch")}, {QAccessible::Graphic, QStringLiteral("image")},
        {QAccessible::Heading, QStringLiteral("heading")}, {QAccessible::StaticText, QStringLiteral("text")}};
    QStringList heard;
    const std::function<void(QAccessibleInterface *)> walk = [&](QAccessibleInterface *node) {
        if (!node || node->state().invisible)
            return;
        if (const QString name = node->text(QAccessible::Name); !name.isEmpty()) {
            QString line = roles.value(node->role(), QString::number(node->role())) + QStringLiteral(": ") + name;
            if (const QString value = node->text(QAccessible::Value); !value.isEmpty())
                line += QStringLiteral(" = ") + value;
            if (const QString description = node->text(QAccessible::Description); !description.isEmpty())
                line += QStringLiteral(" (") + description + QStringLiteral(")");
            if (node->state().selected)
                line += QStringLiteral(" [selected]");
            heard << line;
        }
        for (int index = 0; index < node->childCount(); ++index)
            walk(node->child(index));
    };
    walk(QAccessible::queryAccessibleInterface(widget));
    return heard;
}

} // namespace orbel::test
