#pragma once

#include "platform/audio/SystemSoundPlayer.h"

#include <QString>

#include <chrono>

// SystemSoundPlayer that plays the synthesised sounds through the sound server.
class GstSoundPlayer final : public SystemSoundPlayer
{
public:
    struct Options
    {
        QString server; // empty: the user's default sound server
        // From the start of playing to the completion, whatever happens to the sound.
        std::chrono::milliseconds completionLimit { 1500 };
    };

    GstSoundPlayer();
    explicit GstSoundPlayer(Options options);

    void play(quint32 soundId, std::function<void()> completion) override;

private:
    Options m_options;
};
