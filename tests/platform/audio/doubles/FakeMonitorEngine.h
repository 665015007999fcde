#pragma once

#include "platform/audio/AudioMonitorEngine.h"

#include <memory>
#include <optional>
#include <vector>

// What one fake engine went through; the factory keeps it after the engine is gone.
struct FakeEngineState
{
    bool running = false;
    bool destroyed = false;
    std::optional<AudioError> startError; // every start fails with it while set
    std::function<void()> onConfigurationChange;

    void emitConfigurationChange();
};

class FakeMonitorEngine final : public AudioMonitorEngine
{
public:
    explicit FakeMonitorEngine(std::shared_ptr<FakeEngineState> state);
    ~FakeMonitorEngine() override;

    AudioResult<void> start() override;
    void stop() override;
    bool isRunning() const override { return m_state->running; }
    void setConfigurationChangeHandler(std::function<void()> handler) override;

private:
    std::shared_ptr<FakeEngineState> m_state;
};

class FakeMonitorEngineFactory final : public AudioMonitorEngineFactory
{
public:
    // Copied into every engine made from now on.
    std::optional<AudioError> startError;
    std::vector<std::shared_ptr<FakeEngineState>> engines;

    std::unique_ptr<AudioMonitorEngine> makeEngine() override;
};
