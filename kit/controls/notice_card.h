#pragma once

#include "orbel_environment.h"

#include <QWidget>

class QHBoxLayout;

namespace orbel {

class BorderedButton;
class SymbolView;
class TextLabel;

// A card that explains a problem: a symbol and title in the attention colour,
// a message that wraps and grows the card, and a row of small action buttons.
// The attention colour shows faintly through the card's fill.
class NoticeCard : public QWidget, public EnvironmentAware {
    Q_OBJECT

public:
    NoticeCard(const QString &symbol, const QString &title, const QString &message, const OrbelEnvironment &environment,
               QWidget *parent = nullptr);

    // Adds a small bordered button to the actions row and returns it.
    BorderedButton *addAction(const QString &title);
    void addAction(QWidget *action);

    void setTitle(const QString &title);
    void setMessage(const QString &message);
    QString title() const;
    QString message() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void environmentChanged() override;

private:
    SymbolView *m_icon;
    TextLabel *m_title;
    TextLabel *m_message;
    QWidget *m_actions;
    QHBoxLayout *m_actionsLayout;
};

} // namespace orbel
