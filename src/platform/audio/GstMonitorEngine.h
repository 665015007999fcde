#pragma once

#include "platform/audio/AudioMonitorEngine.h"
#include "platform/audio/GstSupport.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

typedef struct _GstMessage GstMessage;

// AudioMonitorEngine as a sound-server source played straight into a sound-server sink with a few
// tens of milliseconds of buffering on either side.
class GstMonitorEngine final : public AudioMonitorEngine
{
public:
    GstMonitorEngine();
    explicit GstMonitorEngine(QString server);
    ~GstMonitorEngine() override;
    GstMonitorEngine(const GstMonitorEngine &) = delete;
    GstMonitorEngine &operator=(const GstMonitorEngine &) = delete;

    AudioResult<void> start() override;
    void stop() override;
    bool isRunning() const override { return m_background.has_value(); }
    void setConfigurationChangeHandler(std::function<void()> handler) override;

    // Thread-side hook, public for the C callback.
    struct DeviceWatch;

private:
    bool handle(GstMessage *message);
    void lost(const AudioError &error);
    void watchDevice(const char *elementName, bool input);
    void deviceChanged(unsigned generation, bool input, const QString &device);
    void notifyConfigurationChange();

    QString m_server;
    std::optional<GstSupport::BackgroundPipeline> m_background;
    unsigned m_watchId = 0;
    std::function<bool(GstMessage *)> m_busHandler;
    std::function<void()> m_onConfigurationChange;
    std::shared_ptr<int> m_alive = std::make_shared<int>();
    unsigned m_generation = 0;
    QString m_inputDevice;
    QString m_outputDevice;
};

class GstMonitorEngineFactory final : public AudioMonitorEngineFactory
{
public:
    explicit GstMonitorEngineFactory(QString server = {})
        : m_server(std::move(server))
    { }
    std::unique_ptr<AudioMonitorEngine> makeEngine() override;

private:
    QString m_server;
};
