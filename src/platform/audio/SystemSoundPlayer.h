#pragma once

#include <QtGlobal>

#include <functional>

// Sound ids the recording controller plays around recordings.
namespace SystemSoundId {
inline constexpr quint32 beginRecording = 1113;
inline constexpr quint32 endRecording = 1114;
} // namespace SystemSoundId

// Plays a short system sound on the default output. The completion runs on the GUI thread exactly
// once, within a bounded time, also when nothing could be played.
class SystemSoundPlayer
{
public:
    virtual ~SystemSoundPlayer() = default;
    virtual void play(quint32 soundId, std::function<void()> completion) = 0;
};
