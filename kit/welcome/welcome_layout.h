#pragma once

#include "orbel_brand.h"
#include "orbel_environment.h"

#include <QList>
#include <QPointer>
#include <QWidget>

#include <functional>

namespace orbel {

class AppIcon;
class GlassCard;
class KeyboardUseTracker;
class LoginItem;
class OrbelSwitch;
class TextLabel;

// A single-page welcome, 480 wide, padded 24 and its parts 24 apart: the
// application icon (88), a bold centred title over a centred subtitle, the
// caller's optional extra widget, a glass card of permission rows (16 apart),
// the privacy lines, and a footer with an "Open at Login" switch over the
// kit's login item and the prominent "Get Started" button, which Return
// presses. Each time the page is shown the switch re-reads the login item
// (nothing is registered by looking); flipping it registers or unregisters
// the application. Focus rings show once the keyboard has been used in the
// window. The kit's plain welcome window can host it.
class WelcomeLayout : public QWidget, public EnvironmentAware {
    Q_OBJECT

public:
    static constexpr int pageWidth = 480;

    struct Setup {
        OrbelBrand brand;
        QString title{};
        QString subtitle{};
        QString privacy{};
        QString privacySymbol{};
        std::function<void()> start{};
    };

    // Over the kit's shared login item. Takes ownership of `extra` (which may
    // be null) and of the permission rows.
    WelcomeLayout(Setup setup, QWidget *extra, const QList<QWidget *> &permissions, const OrbelEnvironment &environment,
                  QWidget *parent = nullptr);
    WelcomeLayout(Setup setup, QWidget *extra, const QList<QWidget *> &permissions, LoginItem &login,
                  const OrbelEnvironment &environment, QWidget *parent = nullptr);

    AppIcon *icon() const { return m_icon; }
    TextLabel *titleLabel() const { return m_title; }
    QWidget *extra() const { return m_extra; }
    GlassCard *card() const { return m_card; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void environmentChanged() override;
    OrbelEnvironment childEnvironment() const override;

private:
    QPointer<LoginItem> m_login;
    AppIcon *m_icon;
    TextLabel *m_title;
    TextLabel *m_subtitle;
    QWidget *m_extra;
    GlassCard *m_card;
    QWidget *m_privacy;
    TextLabel *m_switchLabel;
    OrbelSwitch *m_switch;
    KeyboardUseTracker *m_tracker = nullptr;
};

} // namespace orbel
