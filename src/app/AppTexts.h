#pragma once

#include "app/MenuTexts.h"
#include "kit/ui/KitTexts.h"

#include <QString>

// What the application itself says to the user, each text in one place.
namespace AppTexts {

inline const QString microphoneRefusedTitle
    = QStringLiteral("Tapewick requires access to the microphone but no such access was granted.");
inline const QString microphoneRefusedMessage = QStringLiteral(
    "You can manually grant access in your system settings. Launch Tapewick again after granting access.");
inline const QString microphoneRefusedButton = QStringLiteral("Quit and Open Sound Settings");

inline const QString crashedTitle = QStringLiteral("Tapewick crashed the last time it was run.");
inline const QString crashedMessage
    = QStringLiteral("If you were recording while it crashed, you might be able to recover the file, but "
                     "it might also be corrupt. Try finding the most recent recording in the directory "
                     "being opened after you click \u201cOK\u201d.");

inline const QString welcomeTitle = QStringLiteral("Welcome to Tapewick!");
inline const QString welcomeMessage
    = QStringLiteral("Tapewick lives in the tray (the microphone icon in your desktop's panel).");
inline const QString welcomeButton = QStringLiteral("Continue");

inline const QString feedbackTitle = QStringLiteral("Feedback Welcome");
inline const QString feedbackMessage
    = QStringLiteral("If you have any feedback, bug reports, or feature requests, use the feedback button "
                     "in the app. I quickly respond to all submissions.");
inline const QString feedbackMessageWithoutPage = QStringLiteral(
    "If you have any feedback, bug reports, or feature requests, \u201cSend Feedback\u2026\u201d "
    "in the app's menu (under \u201cMore\u201d) tells you where to send them.");
inline const QString feedbackButton = QStringLiteral("Get Started");

inline const QString quitTitle = QStringLiteral("Are you sure you want to quit Tapewick?");
// Quitting stops the recording and saves it as a stop does, except that no save panel waits for an
// answer: without a default output directory it stays among the temporary recordings.
inline QString quitSavesIn(const QString &folder)
{
    return QStringLiteral("Quitting stops your current recording and saves it in \u201c%1\u201d.")
        .arg(folder);
}
// Where a recording that is not saved waits for the user.
inline const QString recoveryFindsRecording
    = QStringLiteral("the recording stays where \u201c%1\u201d (in the menu under \u201c%2\u201d) finds it.")
          .arg(MenuTexts::recoverRecordings, MenuTexts::more);
inline const QString quitKeepsForRecovery
    = QStringLiteral("Quitting stops your current recording. No default output directory is set, so ")
    + recoveryFindsRecording;
inline const QString quitContinueButton = QStringLiteral("Continue Recording");
// A quit while the save panel waits for its answer.
inline const QString quitLeavesPanelUnanswered
    = QStringLiteral("Your recording is not saved yet. Quitting closes the save dialog, and ")
    + recoveryFindsRecording;
inline const QString quitContinueSavingButton = QStringLiteral("Continue Saving");
inline const QString quitButton = KitTexts::quit();

inline const QString alreadyRunning = QStringLiteral("Tapewick is already running.");
inline const QString noDisplay
    = QStringLiteral("tapewick: no display to show the tray icon on (neither DISPLAY nor WAYLAND_DISPLAY "
                     "is set). To try it in a private test desktop, run in its source folder: "
                     "scripts/with-test-desktop -- scripts/run --verbose");

} // namespace AppTexts
