#pragma once

#include "countdown.h"

#include <QObject>

#include <QCoroTask>

#include <memory>

namespace pelorin {

class PelorinPreferences;

// The root of the application's state, handed to every screen: the session
// facade, the preferences, whether the panel is on screen, and the three
// moments of the program's life that touch the session engine.
class AppModel : public QObject {
    Q_OBJECT
public:
    AppModel(std::unique_ptr<Countdown> countdown, std::unique_ptr<PelorinPreferences> preferences, bool panelVisible,
             bool isRunning, bool isSnapshot, QObject *parent = nullptr);
    ~AppModel() override;

    Countdown &countdown() const { return *m_countdown; }
    PelorinPreferences &preferences() const { return *m_preferences; }
    bool panelVisible() const { return m_panelVisible; }
    bool isSnapshot() const { return m_isSnapshot; }
    bool isRunning() const { return m_isRunning; }

    // Stores the flag, nothing more.
    void storePanelVisible(bool visible);
    // Stores the flag; when the panel appears (outside snapshot runs) an
    // overdue session ends at once and the login item is read again.
    void setPanelVisible(bool visible);

    QCoro::Task<> start();
    QCoro::Task<> refresh();
    // Stops the session and waits until every operation, the release of the
    // locks included, has finished.
    QCoro::Task<> shutdown();

Q_SIGNALS:
    void panelVisibleChanged(bool visible);

private:
    std::unique_ptr<Countdown> m_countdown;
    std::unique_ptr<PelorinPreferences> m_preferences;
    bool m_panelVisible;
    bool m_isSnapshot;
    bool m_isRunning;
};

} // namespace pelorin
