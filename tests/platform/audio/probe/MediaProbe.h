#pragma once

#include <QString>

#include <vector>

// What a decoder makes of an audio file: the file is decoded in full, as a player would.
struct MediaFacts
{
    bool decoded = false;
    QString error;
    int sampleRate = 0;
    int channels = 0;
    double seconds = 0;
    std::vector<float> samples; // interleaved, full scale ±1.0
    QString audioCodec; // from the container's tags
    QString encoder;

    std::vector<float> channel(int index) const;
};

MediaFacts probeMedia(const QString &path);

// The four-character names of the top-level boxes of an MP4 file, in file order.
std::vector<QString> topLevelBoxes(const QString &path);
