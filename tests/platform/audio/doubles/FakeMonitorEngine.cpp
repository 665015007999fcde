#include "FakeMonitorEngine.h"

void FakeEngineState::emitConfigurationChange()
{
    if (onConfigurationChange) {
        auto handler = onConfigurationChange;
        handler();
    }
}

FakeMonitorEngine::FakeMonitorEngine(std::shared_ptr<FakeEngineState> state)
    : m_state(std::move(state))
{ }

FakeMonitorEngine::~FakeMonitorEngine()
{
    stop();
    m_state->destroyed = true;
    m_state->onConfigurationChange = nullptr;
}

AudioResult<void> FakeMonitorEngine::start()
{
    m_state->running = false;
    if (m_state->startError) {
        return *m_state->startError;
    }
    m_state->running = true;
    return {};
}

void FakeMonitorEngine::stop()
{
    m_state->running = false;
}

void FakeMonitorEngine::setConfigurationChangeHandler(std::function<void()> handler)
{
    m_state->onConfigurationChange = std::move(handler);
}

std::unique_ptr<AudioMonitorEngine> FakeMonitorEngineFactory::makeEngine()
{
    auto state = std::make_shared<FakeEngineState>();
    state->startError = startError;
    engines.push_back(state);
    return std::make_unique<FakeMonitorEngine>(state);
}
