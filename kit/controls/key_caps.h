#pragma once

#include "orbel_environment.h"

#include <QStringList>
#include <QWidget>

namespace orbel {

// A keyboard shortcut as a row of key chips, 4 apart, in the key-cap text
// role: each key (a modifier symbol, a letter, a word such as "Esc") on a
// faint rounded chip at least 20 × 20, with 8 of padding on either side when
// the key is longer than one character. A repeated key is drawn twice. The
// keys are taken as they are, never translated. Screen readers meet one
// element named by the keys joined with single spaces.
class KeyCaps : public QWidget, public EnvironmentAware {
    Q_OBJECT

public:
    explicit KeyCaps(const QStringList &keys, const OrbelEnvironment &environment, QWidget *parent = nullptr);

    const QStringList &keys() const { return m_keys; }
    void setKeys(const QStringList &keys);
    // Each key's chip, in the row's coordinates.
    QList<QRect> chipRects() const;
    QColor chipColor() const;

    // What screen readers hear for these keys.
    static QString spokenKeys(const QStringList &keys);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;
    void environmentChanged() override;

private:
    QSize chipSize(const QString &key) const;

    QStringList m_keys;
};

} // namespace orbel
