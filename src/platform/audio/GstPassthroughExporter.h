#pragma once

#include "platform/audio/AudioExporter.h"

// AudioExporter that demuxes the file's audio and muxes it again, unchanged, with an encoder tag.
class GstPassthroughExporter final : public AudioExporter
{
public:
    void exportWithSoftware(const QString &source, const QString &destination, const QString &software,
        Completion completion) override;
};
