#pragma once

#include "platform/audio/SystemSoundPlayer.h"

#include <vector>

// Keeps every requested sound with its completion until the test completes it.
class FakeSoundPlayer final : public SystemSoundPlayer
{
public:
    struct Request
    {
        quint32 soundId;
        std::function<void()> completion;
    };

    std::vector<Request> pending;
    std::vector<quint32> played;

    void play(quint32 soundId, std::function<void()> completion) override;
    // Runs the oldest pending completion; false when none is pending.
    bool completeNext();
    void completeAll();
};
