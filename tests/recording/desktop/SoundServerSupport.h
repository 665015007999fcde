#pragma once

#include <QString>

#include <vector>

namespace SoundServerSupport {

// A capture stream of this process as the sound server lists it.
struct CaptureStream
{
    int index = -1;
    QString source; // the name of the source it captures from
};

std::vector<CaptureStream> captureStreamsOfThisProcess();

} // namespace SoundServerSupport
