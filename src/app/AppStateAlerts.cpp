#include "app/AppState.h"

#include "app/AppLogging.h"

#include "app/AppTexts.h"
#include "app/SettingsKeys.h"
#include "kit/foundation/errors/Error.h"
#include "kit/foundation/errors/ErrorPresentation.h"
#include "kit/foundation/errors/ErrorReporting.h"
#include "kit/foundation/errors/GeneralError.h"
#include "kit/services/AlertBuilder.h"
#include "kit/services/CrashReporting.h"
#include "kit/services/KwApp.h"
#include "kit/services/KwKit.h"
#include "kit/services/WelcomePopover.h"
#include "platform/desktop/StatusItem.h"
#include "recording/AudioRecorderController.h"

#include <QDir>
#include <QScopeGuard>

namespace {

int runAlert(const QString &title, const QString &message, const QStringList &buttons,
    std::optional<int> defaultButton = std::nullopt, const QList<int> &destructive = {})
{
    qCDebug(appLog) << "Alert:" << title;
    AlertOptions options;
    options.title = title;
    options.message = message;
    options.style = AlertStyle::Warning;
    options.buttonTitles = buttons;
    options.defaultButtonIndex = defaultButton;
    options.destructiveButtonIndexes = destructive;
    return runAlertModal(makeAlert(options));
}

} // namespace

void AppState::checkMicrophoneAccess()
{
    if (m_environment.requestMicrophoneAccess()) {
        return;
    }
    // A tray program has no window of its own to be in front of.
    KwApp::activate();
    runAlert(AppTexts::microphoneRefusedTitle, AppTexts::microphoneRefusedMessage,
        { AppTexts::microphoneRefusedButton });
    m_environment.openMicrophoneSettings();
    m_quitAfterLaunch = true;
}

void AppState::showCrashAlertIfNeeded()
{
    // Whatever happens here, the crash-report window comes after it, not over it.
    const auto releaseReportWindow = qScopeGuard([] { CrashReportWindow::release(); });
    if (!m_environment.crashedLastRun()) {
        return;
    }
    KwApp::activate();
    runAlert(AppTexts::crashedTitle, AppTexts::crashedMessage, {});
    try {
        m_environment.showTemporaryRecordingsDirectory();
    } catch (const Error &error) {
        presentAsModal(*reported(error.clone()));
    } catch (const std::exception &error) {
        presentAsModal(reported(GeneralError(QString::fromUtf8(error.what()))));
    }
}

void AppState::showWelcomeIfFirstLaunch()
{
    if (!m_environment.isFirstLaunch()) {
        return;
    }
    if (m_environment.shouldDifferentiateWithoutColor()) {
        // The idle state then shows by dimming, not only by the recording's colour.
        Defaults::set(SettingsKeys::dimMenuBarIconWhenNotRecording(), true);
    }
    KwApp::activate();
    runAlert(AppTexts::welcomeTitle, AppTexts::welcomeMessage, { AppTexts::welcomeButton }, -1);
    // Only a page of the maker's reaches someone who can answer.
    runAlert(AppTexts::feedbackTitle,
        KwKit::metadata().feedbackReachesMaker ? AppTexts::feedbackMessage
                                               : AppTexts::feedbackMessageWithoutPage,
        { AppTexts::feedbackButton }, -1);
    showWelcomePopover(statusItem().geometry());
}

AppState::TerminateReply AppState::confirmQuit()
{
    if (recordingState() == AudioRecorder::State::stopped) {
        // A recording stopped just before is still saved.
        stopRecordingBeforeExit(ExitCause::userQuit);
        return TerminateReply::terminateNow;
    }
    KwApp::activate();
    const std::optional<QUrl> folder = m_recorder->outputDirectory();
    const QString message = folder ? AppTexts::quitSavesIn(QDir::cleanPath(folder->toLocalFile()))
                                   : AppTexts::quitKeepsForRecovery;
    const int answer = runAlert(AppTexts::quitTitle, message,
        { AppTexts::quitContinueButton, AppTexts::quitButton }, std::nullopt, { 1 });
    // Only "Quit" ends the recording: closing the alert without a choice keeps it, as
    // "Continue Recording" does.
    if (answer != 1) {
        return TerminateReply::terminateCancel;
    }
    stopRecordingBeforeExit(ExitCause::userQuit);
    return TerminateReply::terminateNow;
}
