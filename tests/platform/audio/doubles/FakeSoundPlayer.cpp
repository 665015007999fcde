#include "FakeSoundPlayer.h"

void FakeSoundPlayer::play(quint32 soundId, std::function<void()> completion)
{
    played.push_back(soundId);
    pending.push_back({ soundId, std::move(completion) });
}

bool FakeSoundPlayer::completeNext()
{
    if (pending.empty()) {
        return false;
    }
    Request request = std::move(pending.front());
    pending.erase(pending.begin());
    if (request.completion) {
        request.completion();
    }
    return true;
}

void FakeSoundPlayer::completeAll()
{
    while (completeNext()) { }
}
