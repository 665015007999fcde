#include "app/AppState.h"

#include "app/AppLogging.h"

#include "app/AppTexts.h"
#include "app/SettingsKeys.h"
#include "kit/foundation/errors/Error.h"
#include "kit/foundation/errors/ErrorPresentation.h"
#include "kit/foundation/errors/ErrorReporting.h"
#include "kit/foundation/errors/GeneralError.h"
#include "kit/foundation/files/FileLocations.h"
#include "kit/services/AlertBuilder.h"
#include "kit/services/CrashReporting.h"
#include "kit/services/KwApp.h"
#include "kit/services/KwKit.h"
#include "kit/services/WelcomePopover.h"
#include "platform/desktop/StatusItem.h"
#include "recording/AudioRecorderController.h"

#include <QDir>
#include <QMessageBox>
#include <QPointer>
#include <QScopeGuard>

namespace {

QMessageBox *makeWarning(const QString &title, const QString &message, const QStringList &buttons,
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
    return makeAlert(options);
}

int runAlert(const QString &title, const QString &message, const QStringList &buttons,
    std::optional<int> defaultButton = std::nullopt)
{
    return runAlertModal(makeWarning(title, message, buttons, defaultButton));
}

// Only "Quit" answers yes: closing the alert without a choice keeps what goes on, as the
// continue button does. `open` holds the alert while it waits, and `onOpen` gets it then.
bool quitConfirmed(const QString &message, const QString &continueButton, QPointer<QMessageBox> &open,
    const std::function<void(QMessageBox *)> &onOpen = {})
{
    KwApp::activate();
    QMessageBox *alert = makeWarning(
        AppTexts::quitTitle, message, { continueButton, AppTexts::quitButton }, std::nullopt, { 1 });
    open = alert;
    const auto closed = qScopeGuard([&open] { open.clear(); });
    if (onOpen) {
        onOpen(alert);
    }
    return runAlertModal(alert) == 1;
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
    // Closed by a signal's ending, the alert was not answered.
    if (m_endingSignal) {
        return;
    }
    m_environment.openMicrophoneSettings();
    m_quitAfterLaunch = true;
}

void AppState::showCrashAlertIfNeeded()
{
    // Whatever happens here, the crash-report window comes after it, not over it.
    const auto releaseReportWindow = qScopeGuard([] { CrashReportWindow::release(); });
    // A signal during an earlier notice closed it: nobody is there for the others.
    if (m_endingSignal || !m_environment.crashedLastRun()) {
        return;
    }
    KwApp::activate();
    runAlert(AppTexts::crashedTitle, AppTexts::crashedMessage, {});
    if (m_endingSignal) {
        return;
    }
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
    if (m_endingSignal || !m_environment.isFirstLaunch()) {
        return;
    }
    if (m_environment.shouldDifferentiateWithoutColor()) {
        // The idle state then shows by dimming, not only by the recording's colour.
        Defaults::set(SettingsKeys::dimMenuBarIconWhenNotRecording(), true);
    }
    KwApp::activate();
    runAlert(AppTexts::welcomeTitle, AppTexts::welcomeMessage, { AppTexts::welcomeButton }, -1);
    if (m_endingSignal) {
        return;
    }
    // Only a page of the maker's reaches someone who can answer.
    runAlert(AppTexts::feedbackTitle,
        KwKit::metadata().feedbackReachesMaker ? AppTexts::feedbackMessage
                                               : AppTexts::feedbackMessageWithoutPage,
        { AppTexts::feedbackButton }, -1);
    if (m_endingSignal) {
        return;
    }
    showWelcomePopover(statusItem().geometry());
}

AppState::TerminateReply AppState::confirmQuit()
{
    if (m_endingSignal) {
        // That ending goes on and ends the program with the signal's number.
        return TerminateReply::terminateCancel;
    }
    if (m_quitAlert) {
        // A second Quit while the first one's question waits: that question is the one to answer.
        qCInfo(appLog) << "The quit alert is open already";
        m_quitAlert->raise();
        m_quitAlert->activateWindow();
        return TerminateReply::terminateCancel;
    }
    if (m_endingUnderWay) {
        // That ending ends the program once the recording is finished; a second quit's exit would
        // cut its waits short.
        qCInfo(appLog) << "Quit joins the ending under way";
        return TerminateReply::terminateCancel;
    }
    if (!m_quitConfirmed && m_recorder->hasOpenSavePanel()) {
        if (!quitConfirmed(
                AppTexts::quitLeavesPanelUnanswered, AppTexts::quitContinueSavingButton, m_quitAlert)) {
            return TerminateReply::terminateCancel;
        }
        m_quitConfirmed = true;
    }
    if (m_recorder->dismissSavePanel()) {
        // The recording's end waits below the panel's own event loop: the quit goes on once that
        // loop is left, and nothing starts meanwhile.
        beginEnding();
        quitAppAsync();
        return TerminateReply::terminateCancel;
    }
    if (!m_quitConfirmed && recordingState() != AudioRecorder::State::stopped) {
        const std::optional<QUrl> folder = m_recorder->outputDirectory();
        // The question is about this recording: once it stops some other way while the alert
        // waits (the panel's menu, a call over the bus, a failure), there is nothing left to
        // continue, and the quit is asked afresh, as one while stopped.
        bool stoppedMeanwhile = false;
        Events::AnyCancellable stops;
        const auto closeOnStop = [&](QMessageBox *alert) {
            stops = m_recorder->recorder().didStateUpdatePublisher().sink(
                [&stoppedMeanwhile, alert = QPointer<QMessageBox>(alert)](AudioRecorder::State state) {
                    if (state == AudioRecorder::State::stopped && alert) {
                        stoppedMeanwhile = true;
                        alert->reject();
                    }
                });
        };
        const bool confirmed
            = quitConfirmed(folder ? AppTexts::quitSavesIn(QDir::cleanPath(folder->toLocalFile()))
                                   : AppTexts::quitKeepsForRecovery,
                AppTexts::quitContinueButton, m_quitAlert, closeOnStop);
        stops.cancel();
        if (stoppedMeanwhile && !confirmed) {
            return confirmQuit();
        }
        if (!confirmed) {
            return TerminateReply::terminateCancel;
        }
    }
    // A recording stopped just before is still saved.
    stopRecordingBeforeExit(ExitCause::userQuit);
    // A signal meanwhile took the ending over.
    return m_endingSignal ? TerminateReply::terminateCancel : TerminateReply::terminateNow;
}
