#pragma once

#include "orbel_environment.h"

#include <QWidget>

#include <optional>

class QBoxLayout;
class QVBoxLayout;

namespace orbel {

class TextLabel;

// One preferences row: a label column (a title and, under it, an optional
// note in the secondary colour) beside a control at the trailing end, 12
// apart and centred on each other. At the accessibility text sizes the
// control moves under the column, 8 below it, at the trailing edge. The
// column takes all the room the control leaves and wraps; the control keeps
// its ideal size. Padded 8 above and below with a note, 4 without, and at
// least 44 high.
//
// When the control carries the row's title as its own accessible name (a
// switch, say), screen readers skip the column's texts and hear the note as
// the control's hint.
class PreferencesRow : public QWidget, public EnvironmentAware {
    Q_OBJECT

public:
    // Takes ownership of `control`.
    PreferencesRow(const QString &title, const std::optional<QString> &note, bool controlIsNamed, QWidget *control,
                   const OrbelEnvironment &environment, QWidget *parent = nullptr);

    QString title() const;
    std::optional<QString> note() const;
    bool controlIsNamed() const { return m_controlIsNamed; }
    QWidget *control() const { return m_control; }
    TextLabel *titleLabel() const { return m_title; }
    // Absent without a note.
    TextLabel *noteLabel() const { return m_note; }
    // The control sits under the texts (the accessibility text sizes).
    bool isStacked() const;

protected:
    void environmentChanged() override;

private:
    void arrange();

    bool m_controlIsNamed;
    QWidget *m_control;
    TextLabel *m_title;
    TextLabel *m_note = nullptr;
    QBoxLayout *m_box;
    QVBoxLayout *m_column;
};

} // namespace orbel
