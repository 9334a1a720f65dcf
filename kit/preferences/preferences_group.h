#pragma once

#include "orbel_environment.h"

#include <QWidget>

class QVBoxLayout;

namespace orbel {

class TextLabel;

// A titled card of preferences rows: the title as a semibold heading, and 8
// below it the rows stacked without spacing (each row's own padding separates
// them) on a faint primary-colour card with 16-pixel corners, padded 8 above
// and below and 16 left and right. The card fills the width it is offered.
class PreferencesGroup : public QWidget, public EnvironmentAware {
    Q_OBJECT

public:
    PreferencesGroup(const QString &title, const OrbelEnvironment &environment, QWidget *parent = nullptr);

    // Adds a row at the end of the card (or at `index`) and takes ownership.
    // The card gives every row contents margins of a focus ring's room on its
    // left and right and lays it out that much wider, so the rings of
    // controls at a row's ends are not cut off; what the row shows stays 16
    // in from the card's sides.
    void addRow(QWidget *row);
    void insertRow(int index, QWidget *row);

    QString title() const;
    TextLabel *titleLabel() const { return m_title; }
    // The card behind the rows.
    QWidget *card() const { return m_card; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void environmentChanged() override;

private:
    TextLabel *m_title;
    QWidget *m_card;
    QVBoxLayout *m_rows;
};

} // namespace orbel
