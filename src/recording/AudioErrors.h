#pragma once

#include "kit/foundation/errors/NSError.h"
#include "platform/audio/AudioError.h"

// How failures of the audio stand-ins reach the rest of the program: platform errors in the
// status domain, with the failure's number as their code.
namespace AudioErrors {

inline constexpr char statusDomain[] = "NSOSStatusErrorDomain";

// The start failure the input monitor ignores: its engine could not bring up the devices.
inline constexpr qint64 failedInitialization = -10875;

// A failed read or write of the device list or the default input, with the sound server's text.
NSError hardwareError(const AudioError &error);

// A failure of recording or exporting, with its text as the description; a full disk is told in
// the program's own words.
NSError mediaError(const AudioError &error);

// A failure to start monitoring. The media framework's generic resource failure, which is
// what the sound-server elements post when the server refuses to open a stream (no usable
// default device, a device gone in the middle of a switch, no server), takes the code
// `failedInitialization`; other failures keep theirs.
NSError monitorStartError(const AudioError &error);

} // namespace AudioErrors
