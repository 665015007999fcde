#pragma once

#include "platform/audio/ScopedRegistration.h"

#include <functional>

// Listens for changes of the system's default input device: `didChange` runs on the GUI thread
// once per change notification, until the listener is destroyed, which removes the
// registration. A registration the sound server refused simply never calls.
class AudioListener
{
public:
    explicit AudioListener(std::function<void()> didChange);
    ~AudioListener() = default;
    AudioListener(const AudioListener &) = delete;
    AudioListener &operator=(const AudioListener &) = delete;

private:
    std::function<void()> m_didChange;
    ScopedRegistration m_registration;
};
