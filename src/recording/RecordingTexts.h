#pragma once

#include <QString>

// What the recording core says to the user, each text in one place.
namespace RecordingTexts {

inline QString noInputDevices()
{
    return QStringLiteral("Cannot record as there are no input devices.");
}

} // namespace RecordingTexts
