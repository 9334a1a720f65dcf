#include "app_model.h"

#include "pelorin_preferences.h"

namespace pelorin {

AppModel::AppModel(std::unique_ptr<Countdown> countdown, std::unique_ptr<PelorinPreferences> preferences,
                   bool panelVisible, bool isRunning, bool isSnapshot, QObject *parent)
    : QObject(parent), m_countdown(std::move(countdown)), m_preferences(std::move(preferences)),
      m_panelVisible(panelVisible), m_isSnapshot(isSnapshot), m_isRunning(isRunning)
{
}

AppModel::~AppModel() = default;

void AppModel::storePanelVisible(bool visible)
{
    if (m_panelVisible == visible)
        return;
    m_panelVisible = visible;
    Q_EMIT panelVisibleChanged(visible);
}

void AppModel::setPanelVisible(bool visible)
{
    storePanelVisible(visible);
    if (!visible || m_isSnapshot)
        return;
    m_countdown->sessions().expireIfDue();
    m_preferences->refreshLoginState();
}

QCoro::Task<> AppModel::start()
{
    if (m_isSnapshot || m_isRunning)
        co_return;
    m_isRunning = true;
    m_countdown->setRunning(true);
    m_preferences->refreshLoginState();
}

QCoro::Task<> AppModel::refresh()
{
    if (m_isSnapshot || !m_isRunning)
        co_return;
    m_preferences->refreshLoginState();
    m_countdown->sessions().expireIfDue();
}

QCoro::Task<> AppModel::shutdown()
{
    if (m_isSnapshot)
        co_return;
    m_isRunning = false;
    m_countdown->setRunning(false);
    m_countdown->stop();
    co_await m_countdown->sessions().drain();
}

} // namespace pelorin
