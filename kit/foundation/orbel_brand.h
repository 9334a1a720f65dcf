#pragma once

#include "orbel_environment.h"

#include <QColor>
#include <QCoreApplication>
#include <QString>

#include <optional>

class QWidget;

namespace orbel {

class PrivacyLine;

// The product identity every kit screen takes: its name, its colour and the
// privacy promise it makes.
class OrbelBrand {
    Q_DECLARE_TR_FUNCTIONS(OrbelBrand)

public:
    enum class Connection { Offline, Online };

    OrbelBrand(QString name, QColor color, Connection connection, std::optional<QColor> darkAccent = std::nullopt,
               std::optional<QColor> lightAccent = std::nullopt);

    const QString &name() const { return m_name; }
    const QColor &color() const { return m_color; }
    Connection connection() const { return m_connection; }
    const std::optional<QColor> &darkAccent() const { return m_darkAccent; }
    const std::optional<QColor> &lightAccent() const { return m_lightAccent; }

    // The accent of the scheme, falling back to the brand colour.
    QColor accent(ColorScheme scheme) const;

    // The built-in privacy sentence and its symbol, chosen by the connection.
    QString privacyText() const;
    QString privacySymbol() const;
    // The line itself is a control and is built where the controls are.
    PrivacyLine *privacyLine(const OrbelEnvironment &environment, QWidget *parent = nullptr) const;

    // White or black, whichever reads better on the brand colour.
    QColor readableForeground() const;
    // The same choice for a relative luminance: white when the contrast
    // against black is at most the contrast against white.
    static QColor readableForeground(double luminance);

private:
    QString m_name;
    QColor m_color;
    Connection m_connection;
    std::optional<QColor> m_darkAccent;
    std::optional<QColor> m_lightAccent;
};

} // namespace orbel
