#pragma once

#include "orbel_environment.h"

#include <QWidget>

namespace orbel {

class SymbolView;
class TextLabel;

enum class NoticeKind { Warning, Waiting, Info };

// A one-line notice in a card: a symbol for its kind, the text, and an
// optional trailing control. Without a control, screen readers hear it as
// one element; with one, the control stays reachable on its own.
class InlineNotice : public QWidget, public EnvironmentAware {
    Q_OBJECT

public:
    InlineNotice(NoticeKind kind, const QString &text, const OrbelEnvironment &environment, QWidget *trailing = nullptr,
                 QWidget *parent = nullptr);

    NoticeKind kind() const { return m_kind; }
    bool hasTrailing() const { return m_hasTrailing; }
    QString text() const;

    static QString symbolFor(NoticeKind kind);

protected:
    void paintEvent(QPaintEvent *event) override;
    void environmentChanged() override;

private:
    NoticeKind m_kind;
    bool m_hasTrailing;
    SymbolView *m_icon;
    TextLabel *m_text;
};

} // namespace orbel
