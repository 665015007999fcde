#include "app/AppState.h"

#include "app/InputDeviceMenu.h"
#include "app/MenuTexts.h"
#include "app/MoreMenu.h"
#include "app/PreviousRecordingMenu.h"
#include "app/SettingsKeys.h"
#include "app/ShortcutNames.h"
#include "app/StatusMenuItems.h"
#include "app/StatusMenuKeys.h"
#include "kit/foundation/time/TimeFormatting.h"
#include "kit/services/CallbackMenuItem.h"
#include "kit/services/DebugWindowController.h"
#include "kit/services/KwApp.h"
#include "kit/services/MenuItems.h"
#include "kit/ui/FontHelpers.h"
#include "platform/audio/AudioFileRecorder.h"
#include "platform/desktop/GreyedReason.h"
#include "recording/AudioDevice.h"
#include "recording/AudioRecorderController.h"
#include "recording/InputAvailability.h"
#include "shortcuts/KeyboardShortcuts.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFontDatabase>

namespace {

constexpr std::chrono::milliseconds elapsedTimeInterval { 100 };

CallbackMenuItem *addItem(QMenu &menu, const QString &title, bool isEnabled, std::function<void()> callback)
{
    auto *item = new CallbackMenuItem(
        title, QString(), std::nullopt, isEnabled, false, false, std::move(callback), &menu);
    menu.addAction(item);
    return item;
}

CallbackMenuItem *addShortcutItem(QMenu &menu, const QString &title, bool isEnabled,
    const KeyboardShortcuts::Name &name, std::function<void()> callback)
{
    CallbackMenuItem *item = addItem(menu, title, isEnabled, std::move(callback));
    KeyboardShortcuts::setShortcut(item, name);
    return item;
}

// Shown once in the life of the installation, on whichever monitoring path comes first.
void showInputMonitoringIntroOnce()
{
    if (!KwApp::runOnce(QStringLiteral("inputMonitoringIntroMessage"))) {
        return;
    }
    runWarningAlert(MenuTexts::inputMonitoringTitle, MenuTexts::inputMonitoringMessage);
}

void updateDurationMenuItem(QAction *item, const AudioRecorder &recorder)
{
    const double seconds = recorder.recorder() ? recorder.recorder()->currentTime() : 0;
    item->setText(timeFormatted(seconds, { true, true, true }));
    // A fixed-width face keeps the digits from jumping while they count.
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    const QFont standard = QApplication::font();
    font.setPointSizeF(standard.pointSizeF());
    font.setWeight(standard.weight());
    item->setFont(font);
}

} // namespace

void AppState::updateMenu(KwMenu &menu)
{
    using State = AudioRecorder::State;
    AudioRecorder &recorder = m_recorder->recorder();
    menu.clear();
    const std::vector<CaptureDevice> devices = AudioCaptureDevices::audioInputDevices();
    const bool hasDevices = !devices.empty();
    // Decided where a start decides it, so that the greyed item says what the start would.
    const std::optional<InputAvailability::Reason> unavailable
        = hasDevices ? std::nullopt : InputAvailability::check();
    // Whatever the ending refuses is shown, disabled, below what it does.
    const bool ending = m_recorder->isEnding();
    if (ending) {
        addItem(menu, endingTitle(), false, {});
        menu.addSeparator();
    }

    // Where the panel cannot show the time beside the button, the menu keeps it.
    if (recordingState() != State::stopped && !m_recorder->showsDurationBesideButton()) {
        addPeriodicallyUpdatedItem(&menu, elapsedTimeInterval, [&recorder](QAction *item) {
            updateDurationMenuItem(item, recorder);
        })->setEnabled(false);
        menu.addSeparator();
    }

    if (recordingState() != State::stopped) {
        const QString title = recordingState() == State::paused ? MenuTexts::resume : MenuTexts::pause;
        addShortcutItem(menu, title, !ending, ShortcutNames::togglePauseRecording(),
            [controller = m_recorder.get()] { controller->togglePauseAsync(); });
    }

    // Only starting needs an input: a recording whose device went away goes on from whatever the
    // server gives it, and must still be stoppable.
    const bool stopped = recordingState() == State::stopped;
    CallbackMenuItem *record = addShortcutItem(menu, stopped ? MenuTexts::record : MenuTexts::stop,
        (!unavailable || !stopped) && !ending, ShortcutNames::toggleRecording(),
        [controller = m_recorder.get(), &menu] { controller->toggleRecording(menu.choiceModifiers()); });
    if (stopped) {
        record->setFont(boldFont(record->font()));
    }
    if (stopped && unavailable && !ending) {
        GreyedReason::set(*record, InputAvailability::text(*unavailable));
    }
    menu.addSeparator();

    // Both variants do what the monitoring shortcut does; only starting a monitor from here
    // introduces it first. Without an input there is nothing to start: the default input is then
    // an output's own sound.
    const bool endsRecordingMonitor
        = recordingState() != State::stopped && recorder.shouldMonitorInputWhileRecording();
    const bool monitoring = endsRecordingMonitor || m_recorder->manualInputMonitor();
    CallbackMenuItem *monitor = addShortcutItem(menu,
        monitoring ? MenuTexts::stopInputMonitoring : MenuTexts::monitorInput,
        monitoring || (hasDevices && !ending), ShortcutNames::toggleInputMonitoring(), [this, monitoring] {
            if (!monitoring) {
                showInputMonitoringIntroOnce();
            }
            toggleInputMonitoring();
        });
    if (!monitoring && !hasDevices) {
        GreyedReason::set(*monitor,
            InputAvailability::text(unavailable.value_or(InputAvailability::Reason::noInputDevices),
                InputAvailability::Purpose::monitoring));
    } else if (!endsRecordingMonitor) {
        monitor->setToolTip(MenuTexts::monitorInputTooltip);
    }

    menu.addSeparator();
    menu.addSeparator();
    addHeader(&menu, MenuTexts::inputDevice, true);
    InputDeviceMenu::addDeviceItems(&menu, devices);
    menu.addSeparator();
    InputDeviceMenu::addForceMonoItems(&menu);
    menu.addSeparator();

    if (hasDevices) {
        addHeader(&menu, MenuTexts::recordSettings, true);
        const bool canChange = !m_recorder->manualInputMonitor() && recordingState() == State::stopped;
        addDefaultsToggleItem(&menu, MenuTexts::monitorWhileRecording, SettingsKeys::monitorInput(),
            canChange,
            [] {
                if (Defaults::get(SettingsKeys::monitorInput())) {
                    showInputMonitoringIntroOnce();
                }
            })
            ->setToolTip(MenuTexts::monitorWhileRecordingTooltip);
    }
    menu.addSeparator();

    const auto previous = Defaults::get(SettingsKeys::previousRecording());
    if (const std::optional<QUrl> location = previous ? previous->resolvedURL() : std::nullopt) {
        QAction *item = menu.addAction(MenuTexts::previousRecording);
        setLazySubmenu(item, [location = *location] { return PreviousRecordingMenu::make(location); });
    }
    const auto outputDirectory = Defaults::get(SettingsKeys::defaultOutputDirectory());
    if (const std::optional<QUrl> location
        = outputDirectory ? outputDirectory->resolvedURL() : std::nullopt) {
        addItem(menu, MenuTexts::showRecordings, true,
            [location = *location] { QDesktopServices::openUrl(location); });
    }
    menu.addSeparator();

    CallbackMenuItem *settings = addItem(menu, MenuTexts::settings,
        recordingState() == State::stopped && !ending, [] { KwApp::showSettings(); });
    settings->setShortcut(StatusMenuKeys::settings());
    QAction *more = menu.addAction(MenuTexts::more);
    KwMenu *moreMenu = MoreMenu::make();
    QObject::connect(more, &QObject::destroyed, moreMenu, &QObject::deleteLater);
    more->setMenu(moreMenu);
    menu.addSeparator();

    if (KwApp::isDebugModifierHeld()) {
        addItem(menu, MenuTexts::debug, true,
            [] { SingletonWindowController::show<DebugWindowController>(false); });
    }
    menu.addSeparator();
    // A quit now would only join the ending.
    addQuitItem(&menu)->setEnabled(!ending);
}
