#pragma once

#include "platform/audio/AudioError.h"

#include <functional>
#include <memory>

// Plays the default input on the default output while it runs. The configuration-change handler
// runs on the GUI thread when the engine's input or output moved to another device, or was lost;
// a lost engine has stopped by then.
class AudioMonitorEngine
{
public:
    virtual ~AudioMonitorEngine() = default;

    // Fails at once only when the engine cannot be built; devices are brought up without waiting
    // for them, and devices that cannot be are reported later like a loss.
    virtual AudioResult<void> start() = 0;
    // Silences and releases the devices without waiting for them.
    virtual void stop() = 0;
    virtual bool isRunning() const = 0;
    virtual void setConfigurationChangeHandler(std::function<void()> handler) = 0;
};

class AudioMonitorEngineFactory
{
public:
    virtual ~AudioMonitorEngineFactory() = default;
    virtual std::unique_ptr<AudioMonitorEngine> makeEngine() = 0;
};
