#pragma once

#include "platform/audio/AudioError.h"

#include <QString>

#include <functional>

// Rewrites an M4A file without re-encoding so that it names `software` as the program that made
// it. The completion runs on the GUI thread; the source file is never changed.
class AudioExporter
{
public:
    using Completion = std::function<void(AudioResult<void> result)>;

    virtual ~AudioExporter() = default;
    virtual void exportWithSoftware(
        const QString &source, const QString &destination, const QString &software, Completion completion)
        = 0;
};
