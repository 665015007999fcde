#pragma once

#include "app/MenuTexts.h"

#include <QString>

// The user-visible texts of the settings window and the directory chooser, each in one place.
namespace SettingsTexts {

inline const QString startupSection = QStringLiteral("Startup");
inline const QString audioSection = QStringLiteral("Audio");
inline const QString lossless = QStringLiteral("Lossless quality");
inline const QString losslessHelp = QStringLiteral("WAV (PCM) instead of M4A (AAC).");
inline const QString afterRecordingSection = QStringLiteral("After recording");
inline const QString copyRecording = QStringLiteral("Copy recording");
// The status menu's Copy command warns the same way.
inline const QString copyWarningTitle = MenuTexts::copyWarningTitle;
inline const QString copyWarningMessage = MenuTexts::copyWarningMessage;
inline const QString ok = QStringLiteral("OK");
inline const QString showInFileManager = QStringLiteral("Show recording in the file manager");
inline const QString showInFileManagerHelp
    = QStringLiteral("This can be useful if you need to rename or use the recording right away.");

inline const QString trayIcon = QStringLiteral("Tray icon");
inline const QString iconMicrophone = QStringLiteral("Microphone");
inline const QString iconCircle = QStringLiteral("Circle");
inline const QString iconRecord = QStringLiteral("Record");
inline const QString iconRecord2 = QStringLiteral("Record 2");
inline const QString iconRecord3 = QStringLiteral("Record 3");
inline const QString iconWaveform = QStringLiteral("Waveform");
inline const QString iconWaveform2 = QStringLiteral("Waveform 2");
inline const QString dimTrayIcon = QStringLiteral("Dim tray icon when not recording");
inline const QString showDuration = QStringLiteral("Show duration in the tray while recording");
inline const QString showDurationHelp
    = QStringLiteral("When disabled, the duration will be shown in the menu instead.");
// On a tray that shows nothing beside its icon, where the setting changes nothing.
inline const QString showDurationWithoutLabelHelp
    = QStringLiteral("This tray shows no label beside its icon: the duration is shown in the menu and in "
                     "the icon's tooltip, whether this is on or off.");

inline const QString toggleRecording = QStringLiteral("Start/stop recording");
inline const QString togglePauseRecording = QStringLiteral("Pause/resume recording");
inline const QString toggleInputMonitoring = QStringLiteral("Toggle input monitoring");

inline const QString defaultOutputDirectory = QStringLiteral("Default output directory");
inline const QString outputDirectoryPanelMessage
    = QStringLiteral("Choose the default directory to output the recording to.");
inline const QString tipTitle = QStringLiteral("Tip");
inline const QString tipMessage
    = QStringLiteral("Press the Alt key when stopping the recording to be able to "
                     "override the output directory just for that session.");
inline const QString filenamePrefix = QStringLiteral("Filename prefix");
inline const QString filenamePrefixPlaceholder = QStringLiteral("Audio Recording");
inline QString filenamePrefixLimit(int characters)
{
    return QStringLiteral("The prefix can be at most %1 characters.").arg(characters);
}

inline const QString clear = QStringLiteral("Clear");
inline const QString choose = QStringLiteral("Choose…");
inline const QString choosePrompt = QStringLiteral("Choose");
inline const QString readOnlyDirectory
    = QStringLiteral("The chosen directory is read-only and cannot be used.");
inline const QString readOnlyDirectorySuggestion = QStringLiteral("Try choosing a different directory.");
inline const QString unnamableDirectory = QStringLiteral(
    "The chosen directory cannot be used: its path is not valid UTF-8 text, which recordings "
    "cannot be saved under.");
inline const QString unnamableDirectorySuggestion
    = QStringLiteral("Rename the directory (or the one it is in) or choose a different directory.");
inline const QString temporaryDirectory = QStringLiteral(
    "The chosen directory cannot be used: it is, or lies in, one of Tapewick's temporary folders, and what "
    "is kept there is removed.");
inline const QString temporaryDirectorySuggestion
    = QStringLiteral("Choose a directory of your own, for example in your home folder.");
inline const QString notADirectory = QStringLiteral("You can only drag and drop a directory.");

} // namespace SettingsTexts
