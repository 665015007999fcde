#pragma once

#include <QString>

// What the recording core says to the user, each text in one place.
namespace RecordingTexts {

inline QString noInputDevices()
{
    return QStringLiteral("Cannot record as there are no input devices.");
}

inline QString savePanelTitle()
{
    return QStringLiteral("Save Audio Recording");
}

inline QString wavFilter()
{
    return QStringLiteral("WAV audio (*.wav)");
}

inline QString m4aFilter()
{
    return QStringLiteral("MPEG-4 audio (*.m4a)");
}

} // namespace RecordingTexts
