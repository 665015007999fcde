#pragma once

#include <QString>

#include <cstddef>
#include <optional>
#include <vector>

namespace TestSupport {

// The samples of a PCM or float WAV file, to check what a recording holds.
struct WavFile
{
    int sampleRate = 0;
    int channels = 0;
    int bitsPerSample = 0;
    bool isFloat = false;
    std::vector<float> samples; // interleaved, full scale ±1.0

    std::size_t frames() const { return channels > 0 ? samples.size() / channels : 0; }
    double seconds() const { return sampleRate > 0 ? double(frames()) / sampleRate : 0.0; }
    std::vector<float> channel(int index) const;

    // Reads 8/16/24/32-bit integer or 32/64-bit float files. A data chunk whose size
    // was never filled in (a writer that did not finish) is read up to the end of
    // the file.
    static std::optional<WavFile> read(const QString &path, QString *error = nullptr);
};

} // namespace TestSupport
