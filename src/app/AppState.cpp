#include "app/AppState.h"

#include "app/AppLogging.h"
#include "app/AppRecordingSettings.h"
#include "app/MenuBarIcon.h"
#include "app/MenuTexts.h"
#include "app/RecordingStateAppEnum.h"
#include "app/SettingsKeys.h"
#include "app/ShortcutNames.h"
#include "app/StatusMenuKeys.h"
#include "kit/foundation/errors/Error.h"
#include "kit/foundation/errors/ErrorPresentation.h"
#include "kit/foundation/errors/GeneralError.h"
#include "kit/foundation/files/FileLocations.h"
#include "kit/foundation/system/SignalHandler.h"
#include "kit/services/KwApp.h"
#include "platform/desktop/DesktopAccessibility.h"
#include "platform/desktop/StatusBarButton.h"
#include "platform/desktop/StatusItem.h"
#include "platform/desktop/SystemSettings.h"
#include "platform/events/MainThread.h"
#include "preferences/DefaultsPublishers.h"
#include "recording/AudioDevice.h"
#include "recording/AudioPlatform.h"
#include "recording/AudioRecorderController.h"
#include "recording/InputAvailability.h"
#include "recording/InputMonitor.h"
#include "recording/TemporaryRecordings.h"
#include "shortcuts/KeyboardShortcuts.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QEventLoop>
#include <QFileDialog>
#include <QPointer>
#include <QTimer>

namespace {

// The desktops' own places for input devices and their permissions, in order of preference.
void openSoundInputSettings()
{
    if (!openSystemSettings(QStringLiteral("com.apple.preference.security?Privacy_Microphone"))) {
        qCWarning(appLog) << "No sound settings program found";
    }
}

// Runs the event loop until `done` holds or `deadline` passes; answers whether `done` held.
bool waitUntil(const std::function<bool()> &done, const QDeadlineTimer &deadline)
{
    if (done()) {
        return true;
    }
    QEventLoop loop;
    QTimer poll;
    // Only while the process ends: a short poll is simpler than wiring every way of finishing.
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done() || deadline.hasExpired()) {
            loop.quit();
        }
    });
    poll.start();
    loop.exec();
    return done();
}

// Closes every alert and panel, unanswered; answers whether one was open.
bool rejectOpenDialogs()
{
    bool rejected = false;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (auto *dialog = qobject_cast<QDialog *>(window); dialog && dialog->isVisible()) {
            dialog->reject();
            rejected = true;
        }
    }
    return rejected;
}

} // namespace

AppState::Environment AppState::Environment::desktop()
{
    Environment environment;
    environment.settings = std::make_shared<AppRecordingSettings>();
    // Linux asks no permission to record: every program may open the sound server's sources.
    environment.requestMicrophoneAccess = [] { return true; };
    environment.openMicrophoneSettings = openSoundInputSettings;
    environment.isFirstLaunch = [] { return KwApp::isFirstLaunch(); };
    environment.crashedLastRun = [] { return KwApp::crashedLastRun(); };
    environment.showTemporaryRecordingsDirectory = [] { ::showTemporaryRecordingsDirectory(); };
    environment.shouldDifferentiateWithoutColor
        = [] { return DesktopAccessibility::shouldDifferentiateWithoutColor(); };
    environment.makeStatusItem = [] {
        return StatusItem::forDesktop(MenuBarIcons::themePath(QCoreApplication::applicationDirPath()));
    };
    environment.exitEventLoop = [](int status) { QCoreApplication::exit(status); };
    return environment;
}

AppState &AppState::shared()
{
    static AppState *instance = new AppState(Environment::desktop());
    return *instance;
}

AppState::AppState(Environment environment)
    : m_environment(std::move(environment))
    , m_recorder(std::make_unique<AudioRecorderController>(m_environment.settings))
{
    m_menu.setObjectName(QStringLiteral("statusMenu"));
    // Before any shortcut is registered or recorded: the menu's own keys stay the menu's.
    KeyboardShortcuts::reserveKeyEquivalents(StatusMenuKeys::all());
    // Before anything can start a recording or wait for the user: the bus is served already, and
    // the launch's notices wait for their answers. The handlers stay for the life of the process;
    // this state may end sooner.
    SignalHandler::install(
        SignalHandler::Signal::exitSignals(), [self = QPointer<AppState>(this)](int signal) {
            if (self) {
                self->handleTerminationSignal(signal);
            }
        });
    // After the current turn, once the program has finished setting itself up.
    QTimer::singleShot(0, this, [this] { didLaunch(); });
}

AppState::~AppState() = default;

StatusItem &AppState::statusItem()
{
    if (!m_statusItem) {
        m_statusItem = m_environment.makeStatusItem();
        m_statusItem->setVisible(true);
        m_statusItem->setMenu(&m_menu);
        m_statusItem->button().setAccessibilityTitle(KwApp::name());
    }
    return *m_statusItem;
}

void AppState::didLaunch()
{
    // Before any notice waits for an answer: a recording may be started and stopped over the bus
    // meanwhile, and its save's hidden copy must not be taken for a leftover.
    m_recorder->removeInterruptedSaves();
    checkMicrophoneAccess();
    showCrashAlertIfNeeded();
    m_recorder->setStatusBarButton(
        &statusItem().button(), [this] { return m_statusItem && m_statusItem->showsTitle(); });
    setUpEvents();
    showWelcomeIfFirstLaunch();
    m_hasLaunched = true;
    if (m_quitAfterLaunch) {
        // Queued only now: a quit queued earlier would also close the notices still to come,
        // since ending the event loop ends the alerts' own loops too.
        quitAppAsync();
    }
}

void AppState::setUpEvents()
{
    // Following the sound server from now on, the menu finds its devices known when it opens.
    AudioPlatform::hardware();
    m_menu.onUpdate = [this](KwMenu &menu) {
        qCDebug(appLog) << "Menu opens";
        updateMenu(menu);
    };

    // While the menu is open its items take the shortcuts' keys.
    m_cancellables.insert(m_menu.isOpenPublisher().sink([](bool isOpen) {
        const std::vector<KeyboardShortcuts::Name> names { ShortcutNames::toggleRecording(),
            ShortcutNames::togglePauseRecording(), ShortcutNames::toggleInputMonitoring() };
        if (isOpen) {
            KeyboardShortcuts::disable(names);
        } else {
            KeyboardShortcuts::enable(names);
        }
    }));
    // The library keeps its handlers for the life of the process; this state may end sooner.
    const QPointer<AppState> self(this);
    KeyboardShortcuts::onKeyUp(ShortcutNames::toggleRecording(), [self] {
        if (self) {
            self->m_recorder->toggleRecording();
        }
    });
    KeyboardShortcuts::onKeyUp(ShortcutNames::togglePauseRecording(),
        [recorder = QPointer<AudioRecorderController>(m_recorder.get())] {
            if (recorder) {
                recorder->togglePauseAsync();
            }
        });
    KeyboardShortcuts::onKeyUp(ShortcutNames::toggleInputMonitoring(), [self] {
        if (self) {
            self->toggleInputMonitoring();
        }
    });

    m_cancellables.insert(
        Defaults::publisher(SettingsKeys::menuBarIcon(), { Defaults::ObservationOption::Initial })
            .receiveOnMain()
            .sink([this](const Defaults::KeyChange<MenuBarIcon> &) {
                const MenuBarIcon icon = Defaults::get(SettingsKeys::menuBarIcon());
                qCDebug(statusItemLog) << "image" << MenuBarIcons::rawValue(icon).c_str();
                statusItem().button().setImage(MenuBarIcons::image(icon));
            }));

    m_cancellables.insert(Defaults::publisher(
        SettingsKeys::dimMenuBarIconWhenNotRecording(), { Defaults::ObservationOption::Initial })
                              .receiveOnMain()
                              .sink([this](const Defaults::KeyChange<bool> &change) {
                                  qCDebug(statusItemLog) << "appears disabled" << change.newValue;
                                  statusItem().button().setAppearsDisabled(change.newValue);
                              }));

    m_cancellables.insert(
        m_recorder->recorder().didStateUpdatePublisher().sink([this](AudioRecorder::State state) {
            // The recording stopped by the ending is still being finished.
            const QString value = m_recorder->isEnding()
                ? endingTitle()
                : RecordingStateAppEnums::displayName(RecordingStateAppEnums::from(state));
            qCDebug(statusItemLog) << "accessibility value" << value;
            if (state == AudioRecorder::State::recording) {
                qCDebug(appLog) << "Recording into"
                                << m_recorder->recorder().url().value_or(QUrl()).toLocalFile();
            }
            statusItem().button().setAccessibilityValue(value);
        }));
}

void AppState::toggleInputMonitoring()
{
    AudioRecorder &recorder = m_recorder->recorder();
    if (recordingState() != AudioRecorder::State::stopped && recorder.shouldMonitorInputWhileRecording()) {
        // This recording only: the setting stays, so the next recording monitors again.
        recorder.setShouldMonitorInputWhileRecording(false);
        recorder.releaseInputMonitor();
        return;
    }
    if (m_recorder->manualInputMonitor()) {
        m_recorder->setManualInputMonitor(nullptr);
        return;
    }
    if (m_recorder->isEnding()) {
        qCInfo(appLog) << "No input monitor starts while the program ends";
        return;
    }
    // The server's default input is then an output's own sound: played back, it would feed itself.
    if (const std::optional<InputAvailability::Reason> unavailable = InputAvailability::check()) {
        qCInfo(appLog) << "No input device to monitor";
        // The shortcut has no greyed item to say why; a start of recording says so too.
        presentAsModal(InputAvailability::error(*unavailable, InputAvailability::Purpose::monitoring));
        return;
    }
    try {
        m_recorder->setManualInputMonitor(std::make_unique<InputMonitor>());
    } catch (const Error &error) {
        presentAsModal(error);
    } catch (const std::exception &error) {
        presentAsModal(GeneralError(QString::fromUtf8(error.what())));
    }
}

AudioRecorder::State AppState::recordingState() const
{
    return m_recorder->recorder().state();
}

void AppState::handleTerminationSignal(int signal)
{
    // A session manager sends more than one signal at logout: the first one's ending goes on,
    // and the process ends with its number. A quit's ending may wait for an alert: this one
    // closes it and takes over.
    if (m_endingSignal) {
        qCInfo(appLog) << "Signal" << signal << "joins the ending under way";
        return;
    }
    qCInfo(appLog) << "Ending on signal" << signal;
    m_endingSignal = signal;
    // At once: a save that ends before the ending waits for it must not ask for a review either.
    beginEnding();
    endOnSignal(signal);
}

void AppState::beginEnding()
{
    if (m_recorder->isEnding()) {
        return;
    }
    m_recorder->beginEnding();
    const QString title = endingTitle();
    qCInfo(appLog).noquote() << title;
    // Created at launch: an ending that comes before it has nothing to show.
    if (m_statusItem) {
        StatusBarButton &button = m_statusItem->button();
        qCDebug(statusItemLog) << "accessibility value" << title;
        qCDebug(statusItemLog) << "appears disabled" << true;
        // Dimmed and without the recording's colour or time: the tooltip says what goes on.
        button.setAppearsDisabled(true);
        button.setTitle(QString());
        button.setImagePosition(StatusBarButton::ImagePosition::imageOnly);
        button.setImage(m_environment.settings->menuBarIconImage());
        button.setAccessibilityValue(title);
    }
    // An open menu offered what is refused from now on.
    if (m_menu.isOpen()) {
        updateMenu(m_menu);
    }
}

QString AppState::endingTitle() const
{
    const AudioRecorder &recorder = m_recorder->recorder();
    const bool hasRecording = recorder.state() != AudioRecorder::State::stopped
        || recorder.hasUnfinishedRecordings() || m_recorder->isSaving() || m_recorder->hasOpenSavePanel();
    return hasRecording ? MenuTexts::finishingRecording : MenuTexts::quitting;
}

void AppState::endOnSignal(int signal)
{
    // Nobody answers a panel or an alert while the session ends, and the recording's end, or a
    // quit's, may wait below its own event loop: that loop has to be left before the ending can
    // wait for it.
    const bool panelOpen = m_recorder->dismissSavePanel();
    if (rejectOpenDialogs() || panelOpen) {
        QTimer::singleShot(0, this, [this, signal] { endOnSignal(signal); });
        return;
    }
    stopRecordingBeforeExit(ExitCause::signal);
    Events::runOnMain([exit = m_environment.exitEventLoop, signal] { exit(signal); });
}

void AppState::stopRecordingBeforeExit(ExitCause cause)
{
    m_endingUnderWay = true;
    beginEnding();
    const bool wasRecording = recordingState() != AudioRecorder::State::stopped;
    const AudioRecorder &recorder = m_recorder->recorder();
    if (!wasRecording && !recorder.hasUnfinishedRecordings() && !m_recorder->isSaving()) {
        if (cause == ExitCause::signal) {
            m_recorder->stopRecording();
        }
        return;
    }

    // Nobody is there to answer a panel while the program ends.
    m_recorder->setModifierQuery([] { return Qt::KeyboardModifiers(); });
    m_recorder->setSavePanelRunner([](QFileDialog &) { return int(QDialog::Rejected); });

    const QString temporaryFile = recorder.url().value_or(QUrl()).toLocalFile();
    bool saveFailed = false;
    // A failed save has been reported and shown already: nothing is left to wait for.
    const QMetaObject::Connection failed
        = connect(m_recorder.get(), &AudioRecorderController::saveFailed, this, [&] { saveFailed = true; });

    // Also a recording stopped just before, whose file or saving is not done yet.
    if (wasRecording || cause == ExitCause::signal) {
        m_recorder->stopRecording();
    }
    if (!waitUntil([&] { return !recorder.hasUnfinishedRecordings(); }, QDeadlineTimer(finishLimit))) {
        qCWarning(appLog) << "The recording's file was not finished in time:" << temporaryFile;
    } else if (!waitUntil([&] { return !m_recorder->isSaving(); }, QDeadlineTimer(finishLimit))) {
        qCWarning(appLog) << "The recording was not saved in time; it stays at" << temporaryFile;
    } else if (saveFailed) {
        qCWarning(appLog) << "The recording could not be saved; it stays at" << temporaryFile;
        if (cause == ExitCause::userQuit) {
            // The failure's alert waits in the event queue, which ends with the program: show it now
            // and let the user read it.
            QCoreApplication::sendPostedEvents(QCoreApplication::instance(), QEvent::MetaCall);
            // Only that alert: one the user left open earlier does not hold the program.
            const QPointer<QWidget> alert = QApplication::activeModalWidget();
            waitUntil([&] { return !alert || !alert->isVisible(); }, QDeadlineTimer::Forever);
        }
    }
    disconnect(failed);
}
