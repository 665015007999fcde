#pragma once

#include "kit/services/ServiceTexts.h"
#include "kit/ui/KitTexts.h"
#include "recording/RecordingTexts.h"

#include <QString>

// What the status menu and its submenus say, each text in one place.
namespace MenuTexts {

inline const QString pause = QStringLiteral("Pause");
inline const QString resume = QStringLiteral("Resume");
inline const QString record = QStringLiteral("Record");
inline const QString stop = QStringLiteral("Stop");
inline const QString monitorInput = QStringLiteral("Monitor Input");
inline const QString stopInputMonitoring = QStringLiteral("Stop Input Monitoring");
inline const QString monitorInputTooltip
    = QStringLiteral("Plays the input (microphone) audio on the default output audio device (speaker). Use "
                     "headphones while recording for best results.");
inline const QString inputMonitoringTitle = QStringLiteral("Input Monitoring");
inline const QString inputMonitoringMessage
    = QStringLiteral("This lets you hear in real-time what's being recorded.\n\nUse headphones while "
                     "recording for best results.");

inline const QString inputDevice = RecordingTexts::inputDeviceHeader();
inline const QString noDevice = QStringLiteral("None");
inline const QString mono = QStringLiteral("Mono");
inline const QString stereo = QStringLiteral("Stereo");
inline QString channels(int count)
{
    return QStringLiteral("%1-channel").arg(count);
}
inline const QString forceMono = QStringLiteral("Force Mono");
inline const QString forceMonoTooltip
    = QStringLiteral("Forcing mono for a stereo device can be useful when the stereo device only transmits "
                     "audio on a single channel, for example, when using an audio splitter.");

inline const QString recordSettings = QStringLiteral("Record Settings");
inline const QString monitorWhileRecording = QStringLiteral("Monitor Input While Recording");
inline const QString monitorWhileRecordingTooltip = QStringLiteral(
    "When enabled, the input (microphone) audio is played on the default output audio device "
    "(speaker) while recording. This lets you hear in real-time what's being recorded. Use "
    "headphones while recording for best results.");

// What the menu's first row and the item's tooltip say once the program ends, with a recording to
// finish and without one.
inline const QString finishingRecording = QStringLiteral("Finishing the recording\u2026");
inline const QString quitting = QStringLiteral("Quitting\u2026");

inline const QString previousRecording = QStringLiteral("Previous Recording");
inline const QString showRecordings = QStringLiteral("Show Recordings");
inline const QString settings = QStringLiteral("Settings\u2026");
inline const QString more = RecordingTexts::moreMenu();
inline const QString debug = ServiceTexts::debugWindowTitle();

inline const QString copy = QStringLiteral("Copy");
inline const QString share = KitTexts::share();
inline const QString noShareServices = QStringLiteral("No mail program is set up.");
inline const QString showInFolder = QStringLiteral("Show in Folder");
inline const QString transcribe = QStringLiteral("Transcribe with Quillo");
inline const QString clear = QStringLiteral("Clear");
inline const QString clearTooltip
    = QStringLiteral("Clears the recording from the menu, but does not delete the actual recording.");
inline const QString moveToTrash = QStringLiteral("Move to Trash");
inline const QString copyWarningTitle = QStringLiteral("Please read!");
inline const QString copyWarningMessage
    = QStringLiteral("Some apps like Chrome and Slack do not properly handle pasting audio recordings.\n\n"
                     "Instead, drag and drop the audio recording from the file manager into such apps.");
// Abbreviated duration units.
inline const QString hours = QStringLiteral("hr");
inline const QString minutes = QStringLiteral("min");
inline const QString seconds = QStringLiteral("sec");

inline const QString about = QStringLiteral("About");
inline const QString recordSystemAudio = RecordingTexts::recordSystemAudio();
inline const QString transcribeAudio = QStringLiteral("Transcribe Audio\u2026");
inline const QString recoverRecordings = RecordingTexts::recoverRecordings();
inline const QString recoverRecordingsTooltip
    = QStringLiteral("Useful if you forgot to save a recording or if your computer or the app crashed while "
                     "recording.");
inline const QString recoverTitle = QStringLiteral("Please Read");
inline const QString recoverMessage = QStringLiteral(
    "Tapewick records to a temporary directory and then copies the recording when done. This means that if "
    "your computer or the app crashed while recording or you just forgot to save, it might be possible to "
    "recover the recording. Don't use this as long-term storage though, as your computer regularly cleans up "
    "this directory.\n\nKeep in mind that some crashes can cause the recording to become corrupt. There's "
    "unfortunately nothing Tapewick can do about that.\n\nClick \u201cOK\u201d to open the directory.");
inline const QString sendFeedback = ServiceTexts::supportSendFeedback();
inline const QString faq = QStringLiteral("FAQ");

} // namespace MenuTexts
