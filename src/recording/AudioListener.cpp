#include "recording/AudioListener.h"

#include "recording/AudioPlatform.h"

#include "platform/audio/AudioHardware.h"

AudioListener::AudioListener(std::function<void()> didChange)
    : m_didChange(std::move(didChange))
    , m_registration(AudioPlatform::hardware().listenForDefaultInputChanges([this] {
        if (m_didChange) {
            m_didChange();
        }
    }))
{ }
