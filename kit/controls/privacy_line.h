#pragma once

#include "orbel_environment.h"

#include <QWidget>

namespace orbel {

class SymbolView;
class TextLabel;

// A privacy promise in green: a symbol and a sentence that wraps. It takes
// its font from its surroundings.
class PrivacyLine : public QWidget, public EnvironmentAware {
    Q_OBJECT

public:
    PrivacyLine(const QString &text, const QString &symbol, const OrbelEnvironment &environment,
                QWidget *parent = nullptr);

    QString text() const;
    QString symbol() const;

protected:
    void environmentChanged() override;

private:
    SymbolView *m_icon;
    TextLabel *m_text;
};

} // namespace orbel
