#pragma once

#include <QString>

#include <optional>
#include <vector>

namespace SoundServerSupport {

// A capture stream of this process as the sound server lists it.
struct CaptureStream
{
    int index = -1;
    QString source; // the name of the source it captures from
};

std::vector<CaptureStream> captureStreamsOfThisProcess();

// Decodes any audio file the media framework reads into a 16-bit WAV file of the same rate and
// channels; returns nothing when it cannot.
std::optional<QString> decodeToWav(const QString &path, QString *error = nullptr);

} // namespace SoundServerSupport
