#pragma once

#include "orbel_brand.h"
#include "orbel_environment.h"

#include <QWidget>

#include <functional>

namespace orbel {

class PanelFooterButton;
class TextLabel;

// The bottom of the panel: a divider, the brand's privacy line and the
// caller's own, then the version caption and the round buttons for
// Preferences (only with an action for it), Getting Started and Quit, on one
// line, or with the buttons on a line of their own under the caption where
// the text is too large for both.
// Ctrl+comma opens the preferences and Ctrl+Q quits.
class PanelFooter : public QWidget, public EnvironmentAware {
    Q_OBJECT

public:
    PanelFooter(const OrbelBrand &brand, const QString &privacy, const QString &privacySymbol,
                std::function<void()> showGuide, std::function<void()> showPreferences,
                std::function<void(bool)> preferencesFocusChanged, const OrbelEnvironment &environment,
                QWidget *parent = nullptr);

    // Null when the panel has no preferences action.
    PanelFooterButton *preferencesButton() const { return m_preferences; }
    PanelFooterButton *guideButton() const { return m_guide; }
    PanelFooterButton *quitButton() const { return m_quit; }
    // Quit (and Ctrl+Q) runs `quit` instead of asking the application to quit.
    void setQuitAction(std::function<void()> quit);

    // "Orbelwick (1.0.0)"; "?" stands in for a missing version.
    static QString versionCaption(const QString &version);
    // The caption of the version compiled into this build.
    static const QString &versionCaption();

protected:
    void environmentChanged() override;

private:
    QWidget *m_privacyLines = nullptr;
    QWidget *m_divider;
    TextLabel *m_version;
    PanelFooterButton *m_preferences = nullptr;
    PanelFooterButton *m_guide;
    PanelFooterButton *m_quit;
    QMetaObject::Connection m_quitConnection;
};

} // namespace orbel
