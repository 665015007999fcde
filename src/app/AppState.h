#pragma once

#include "kit/services/KwMenu.h"
#include "platform/events/CancellableSet.h"
#include "recording/AudioRecorder.h"

#include <QObject>
#include <QPointer>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class AudioRecorderController;
class QMessageBox;
class RecordingSettings;
class StatusItem;

// The one object that owns the status item, its menu and the recording controller for the life
// of the process, and wires every event source to the recorder. GUI thread only.
class AppState : public QObject
{
    Q_OBJECT

public:
    // What the desktop does for the launch notices; tests answer in its place.
    struct Environment
    {
        std::shared_ptr<RecordingSettings> settings;
        // Linux has no microphone permission: the default answers granted at once.
        std::function<bool()> requestMicrophoneAccess;
        std::function<void()> openMicrophoneSettings;
        std::function<bool()> isFirstLaunch;
        std::function<bool()> crashedLastRun;
        // Throws when the folder cannot be shown.
        std::function<void()> showTemporaryRecordingsDirectory;
        std::function<bool()> shouldDifferentiateWithoutColor;
        std::function<std::unique_ptr<StatusItem>()> makeStatusItem;
        // Ends the event loop, and with it the program, with `status`.
        std::function<void(int status)> exitEventLoop;

        // The real desktop's answers, with the application's own settings.
        static Environment desktop();
    };

    enum class TerminateReply { terminateNow, terminateCancel };

    // How long an ending process waits for a recording's file, and then for its saving.
    static constexpr std::chrono::seconds finishLimit { 10 };

    // Made on first use with the real desktop; never released.
    static AppState &shared();

    // Takes the exit signals over at once, then queues the launch sequence for the next turn of
    // the event loop.
    explicit AppState(Environment environment);
    ~AppState() override;

    KwMenu &menu() { return m_menu; }
    // Created, visible and carrying the menu on first access.
    StatusItem &statusItem();
    AudioRecorderController &recorder() { return *m_recorder; }
    bool hasLaunched() const { return m_hasLaunched; }

    // Microphone check, crash notice, status item, event wiring, welcome.
    void didLaunch();
    void setUpEvents();
    // Fills the status menu each time it is about to open.
    void updateMenu(KwMenu &menu);
    // Ends monitoring of the current recording, or switches the monitor of the menu on or off; the
    // menu's item and the shortcut both come here. Without an input device, or while the program
    // ends, nothing starts.
    void toggleInputMonitoring();
    // Closes every alert and panel unanswered, stops the recording, waits (bounded) for it to be
    // finished, then ends the event loop with the signal number. It takes a quit's ending over; a
    // signal while a signal's ending goes on changes nothing.
    void handleTerminationSignal(int signal);

    void checkMicrophoneAccess();
    void showCrashAlertIfNeeded();
    void showWelcomeIfFirstLaunch();
    // Asks before a running or paused recording, or one that a save panel waits for, is ended by
    // quitting. A quit over a save panel goes on once the panel's own event loop is left. A quit
    // while its alert is open brings that alert forward, and one while the program ends joins that
    // ending: neither asks again.
    TerminateReply confirmQuit();

    AudioRecorder::State recordingState() const;

    // Stops a running or paused recording (a signal starts the end sound in any state), then waits
    // until every recording's file is complete, one stopped just before too, and until each is
    // saved or failed to be, each wait at most finishLimit. No panel is shown: an unsaved
    // recording stays in its temporary directory, where recovery finds it. A user who chose to quit
    // reads a failed save's alert before the program ends; a signal does not wait for anyone.
    // From then on the program is ending: a termination signal joins this ending, nothing starts a
    // recording or a monitor and no review is asked for, and the item and its menu say so.
    enum class ExitCause { userQuit, signal };
    void stopRecordingBeforeExit(ExitCause cause);

private:
    void endOnSignal(int signal);
    // From now on nothing starts; the item shows it, and the menu offers nothing the ending refuses.
    void beginEnding();
    // What the menu and the item say while the program ends.
    QString endingTitle() const;
    Environment m_environment;
    // The signal whose ending is under way.
    std::optional<int> m_endingSignal;
    bool m_quitConfirmed = false;
    // The quit's question while it waits for its answer.
    QPointer<QMessageBox> m_quitAlert;
    // The ending waits for the recording to be finished and saved.
    bool m_endingUnderWay = false;
    KwMenu m_menu;
    std::unique_ptr<StatusItem> m_statusItem;
    std::unique_ptr<AudioRecorderController> m_recorder;
    bool m_hasLaunched = false;
    bool m_quitAfterLaunch = false;
    // Last, so that no subscription outlives what it reaches.
    Events::CancellableSet m_cancellables;
};
