#pragma once

#include "kit/foundation/files/FileTexts.h"

#include <QString>

// What the recording core says to the user, each text in one place.
namespace RecordingTexts {

inline QString noInputDevices()
{
    return QStringLiteral("Cannot record as there are no input devices.");
}

inline QString noInputDevicesSuggestion()
{
    return QStringLiteral("Connect a microphone, or turn one on in your desktop's sound settings.");
}

inline QString soundServerNotRunning()
{
    return QStringLiteral("Cannot record as the sound server is not running.");
}

inline QString noInputDevicesToMonitor()
{
    return QStringLiteral("Cannot monitor as there are no input devices.");
}

inline QString soundServerNotRunningToMonitor()
{
    return QStringLiteral("Cannot monitor as the sound server is not running.");
}

inline QString soundServerNotRunningSuggestion()
{
    return QStringLiteral("Log out and log in again to start it, or restart the computer.");
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

// The command that opens the folder of unsaved and interrupted recordings.
inline QString recoverRecordings()
{
    return QStringLiteral("Recover Recordings\u2026");
}

// The status menu's header over the input devices.
inline QString inputDeviceHeader()
{
    return QStringLiteral("Input Device");
}

// The status menu's submenu of help commands, and its command that opens the help page's recipe for
// recording what the computer plays.
inline QString moreMenu()
{
    return QStringLiteral("More");
}

inline QString recordSystemAudio()
{
    return QStringLiteral("Record System Audio\u2026");
}

// What to do when the default input is an output's monitor.
inline QString monitorAsInputSuggestion()
{
    return QStringLiteral("Choose a microphone under %1 in the menu. To record what the computer plays, see "
                          "%2 \u25B8 %3")
        .arg(inputDeviceHeader(), moreMenu(), recordSystemAudio());
}

// A recording ended by a failure (a full disk, the sound server gone) rather than by a stop.
inline QString recordingStopped()
{
    return QStringLiteral("The recording stopped unexpectedly.");
}

// Why a recording or an export ended when its file's disk filled up.
inline QString diskFull()
{
    return FileTexts::diskFull();
}

// A recording that was stopped, but whose file could not be completed (the sound server did not let
// its end through).
inline QString recordingNotFinished()
{
    return QStringLiteral("The recording was stopped, but its file could not be finished.");
}

// A recording that could not be copied into the folder it was to be saved in.
inline QString notSavedIn(const QString &folder)
{
    return QStringLiteral("The recording could not be saved in \u201c%1\u201d.").arg(folder);
}

// A folder the save panel refuses: the program's own temporary folders are emptied in time.
inline QString temporaryFolder(const QString &folder)
{
    return QStringLiteral(
        "The recording cannot be saved in \u201c%1\u201d: it is, or lies in, one of Tapewick's "
        "temporary folders, and what is kept there is removed.")
        .arg(folder);
}

inline QString temporaryFolderSuggestion()
{
    return QStringLiteral("Choose a folder of your own, for example in your home folder.");
}

inline QString folderGone()
{
    return QStringLiteral("The folder no longer exists.");
}

// Where a recording that did not reach its place stays until the system cleans up.
inline QString keptAt(const QString &path)
{
    return QStringLiteral("What was recorded is kept at \u201c%1\u201d, where %2 finds it.")
        .arg(path, recoverRecordings());
}

} // namespace RecordingTexts
