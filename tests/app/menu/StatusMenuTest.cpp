#include "app/AppState.h"
#include "app/InputDeviceMenu.h"
#include "app/MenuTexts.h"
#include "app/SettingsKeys.h"
#include "app/ShortcutNames.h"
#include "app/StatusMenuItems.h"
#include "kit/services/CallbackMenuItem.h"
#include "kit/services/KwApp.h"
#include "kit/services/ServiceTexts.h"
#include "platform/audio/FourCharCode.h"
#include "platform/hotkeys/HotKeyCombination.h"
#include "platform/hotkeys/KeyTable.h"
#include "preferences/Defaults.h"
#include "recording/AudioRecorderController.h"
#include "recording/InputAvailability.h"
#include "recording/RecordingTexts.h"
#include "shortcuts/KeyboardShortcuts.h"

#include "FileContents.h"
#include "StatusMenuFixture.h"

#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

namespace {

const QString checked = QStringLiteral(" \u2713");
const QString separator = QStringLiteral("-");
const QString builtIn = QStringLiteral("Built-in Microphone With A Ve\u2026");

using StatusMenuTest = StatusMenuFixture;

TEST_F(StatusMenuTest, EachStateHasItsItemsInOrder)
{
    const QStringList devices { separator, separator, separator, QStringLiteral("(Input Device)"),
        builtIn + checked, QStringLiteral("Headset"), separator, separator,
        QStringLiteral("(%1)").arg(builtIn), MenuTexts::forceMono, separator, separator,
        QStringLiteral("(Record Settings)") };
    const QStringList quit { separator, separator, ServiceTexts::quitItem(KwApp::name()) };

    const QStringList stopped = QStringList { MenuTexts::record, separator, MenuTexts::monitorInput }
        + devices
        + QStringList { MenuTexts::monitorWhileRecording, separator, separator, MenuTexts::settings,
              MenuTexts::more }
        + quit;
    EXPECT_EQ(rows(), stopped);
    EXPECT_TRUE(item(MenuTexts::record)->font().bold());

    AudioRecorder &recorder = state().recorder().recorder();
    recorder.start(QUrl::fromLocalFile(QStringLiteral("/tmp/take.m4a")), AudioFormatId::aac, 96, std::nullopt,
        AudioRecorder::BitRate::bps256000, AudioRecorder::SampleRate::hz48000, false, false);
    ASSERT_EQ(m_recorders.recordings.size(), 1);
    m_recorders.recordings.back()->currentTime = 7.9;
    recorder.setShouldMonitorInputWhileRecording(true);
    const QStringList recording = QStringList { QStringLiteral("(00:07)"), separator, MenuTexts::pause,
        MenuTexts::stop, separator, MenuTexts::stopInputMonitoring }
        + devices
        + QStringList { QStringLiteral("(%1)").arg(MenuTexts::monitorWhileRecording), separator, separator,
              QStringLiteral("(%1)").arg(MenuTexts::settings), MenuTexts::more }
        + quit;
    EXPECT_EQ(rows(), recording);
    EXPECT_FALSE(item(MenuTexts::stop)->font().bold());

    m_recorders.recordings.back()->currentTime = 3600;
    recorder.pause();
    EXPECT_EQ(rows().mid(0, 4),
        (QStringList { QStringLiteral("(01:00:00)"), separator, MenuTexts::resume, MenuTexts::stop }));

    // Shown beside the button, the time leaves the menu; a panel that shows no title there keeps it
    // in the menu.
    Defaults::set(SettingsKeys::showDurationInMenuBar(), true);
    recorder.setShouldMonitorInputWhileRecording(false);
    StatusBarButton button;
    for (const bool panelShowsTitle : { true, false }) {
        state().recorder().setStatusBarButton(&button, [panelShowsTitle] { return panelShowsTitle; });
        EXPECT_EQ(rows().mid(0, 4),
            panelShowsTitle
                ? (QStringList { MenuTexts::resume, MenuTexts::stop, separator, MenuTexts::monitorInput })
                : (QStringList {
                    QStringLiteral("(01:00:00)"), separator, MenuTexts::resume, MenuTexts::stop }));
    }
}

TEST_F(StatusMenuTest, DevicesShowTheirChannelsForcedMonoFollowsTheDefaultInputAndNoneStopRecording)
{
    rows();
    EXPECT_EQ(item(builtIn)->toolTip(), MenuTexts::stereo);
    EXPECT_EQ(item(QStringLiteral("Headset"))->toolTip(), MenuTexts::mono);

    Defaults::set(SettingsKeys::forceMono(), { "mic", "other" });
    EXPECT_TRUE(rows().contains(MenuTexts::forceMono + checked));
    item(MenuTexts::forceMono)->trigger();
    EXPECT_EQ(Defaults::get(SettingsKeys::forceMono()), (std::set<std::string> { "other" }));

    // A mono default input has no forced-mono section; one that cannot be read has neither check
    // mark nor tooltip, nor the section.
    m_hardware.defaultInput = 2;
    EXPECT_FALSE(rows().contains(MenuTexts::forceMono));
    m_hardware.defaultInput = 1;
    m_hardware.deviceErrors.emplace(1, FakeAudioHardware::noSuchDevice());
    const QStringList menu = rows();
    EXPECT_TRUE(menu.contains(builtIn));
    EXPECT_FALSE(menu.contains(MenuTexts::forceMono));
    EXPECT_NE(item(builtIn)->toolTip(), MenuTexts::stereo);

    // Without devices recording cannot start, and says why; nor can monitoring.
    m_hardware.deviceList.clear();
    const QStringList none = rows();
    EXPECT_EQ(none.mid(0, 3),
        (QStringList { QStringLiteral("(Record)"), separator, QStringLiteral("(Monitor Input)") }));
    EXPECT_EQ(none.mid(7, 6),
        (QStringList {
            QStringLiteral("(None)"), separator, separator, separator, separator, MenuTexts::settings }));
    EXPECT_EQ(item(MenuTexts::record)->toolTip(),
        InputAvailability::text(InputAvailability::Reason::noInputDevices));
}

// A device's name is shown as it is: an "&" in it marks no mnemonic, in its item or its header.
TEST_F(StatusMenuTest, ADeviceNameWithAnAmpersandIsShownAsItIs)
{
    const QString name = QStringLiteral("Mic & Line");
    m_hardware.deviceList[0].name = name;
    rows();
    const QList<QAction *> actions = state().menu().actions();
    const auto shown = std::ranges::count(actions, name, &QAction::iconText);
    EXPECT_EQ(shown, 2) << "the device's item and its forced-mono header";
}

// Once the last input device is gone, only starting needs one: a recording goes on from what the
// server gives and still pauses and stops, a monitor still stops; none starts, by the shortcut's
// road neither, and both say why.
TEST_F(StatusMenuTest, WithoutInputDevicesOnlyStartingIsDisabled)
{
    using State = AudioRecorder::State;
    const QString monitorOff = QStringLiteral("(%1)").arg(MenuTexts::monitorInput);
    const QString elapsed = QStringLiteral("(00:00)");
    const std::tuple<State, bool, QStringList> cases[] = {
        { State::stopped, false, { "(Record)", separator, monitorOff } },
        { State::stopped, true, { "(Record)", separator, MenuTexts::stopInputMonitoring } },
        { State::recording, false,
            { elapsed, separator, MenuTexts::pause, MenuTexts::stop, separator, monitorOff } },
        { State::paused, false,
            { elapsed, separator, MenuTexts::resume, MenuTexts::stop, separator, monitorOff } },
    };
    KwApp::runOnce(QStringLiteral("inputMonitoringIntroMessage"));
    for (const auto &[recordingState, monitoring, top] : cases) {
        SCOPED_TRACE(top.join(u' ').toStdString());
        m_state.reset();
        SetUp();
        if (recordingState != State::stopped) {
            state().recorder().startRecording();
        }
        if (recordingState == State::paused) {
            state().recorder().recorder().pause();
        }
        if (monitoring) {
            state().toggleInputMonitoring();
        }
        m_hardware.deviceList = { FakeAudioHardware::output(3, QStringLiteral("speaker")) };
        m_hardware.defaultInput.reset();

        EXPECT_EQ(rows().mid(0, top.size()), top);
        const QString record = recordingState == State::stopped ? MenuTexts::record : MenuTexts::stop;
        const QString tip = item(record)->toolTip();
        EXPECT_EQ(tip,
            recordingState == State::stopped
                ? InputAvailability::text(InputAvailability::Reason::noInputDevices)
                : record);
        // The greyed item and the shortcut say why nothing starts.
        const QAction *monitor = item(monitoring ? MenuTexts::stopInputMonitoring : MenuTexts::monitorInput);
        const auto noInput = InputAvailability::Reason::noInputDevices;
        const auto toMonitor = InputAvailability::Purpose::monitoring;
        EXPECT_EQ(monitor->toolTip(),
            monitoring ? MenuTexts::monitorInputTooltip : InputAvailability::text(noInput, toMonitor));
        if (!monitoring) {
            state().toggleInputMonitoring();
            QCoreApplication::sendPostedEvents();
            EXPECT_EQ(m_doubles.runningEngines(), 0);
            ASSERT_EQ(m_doubles.presented->size(), 1u);
            EXPECT_EQ(m_doubles.presented->front()->localizedDescription(),
                InputAvailability::description(noInput, toMonitor));
            EXPECT_EQ(m_doubles.presented->front()->recoverySuggestion(),
                std::optional(InputAvailability::suggestion(noInput)));
            EXPECT_TRUE(m_doubles.reports->empty()) << "no fault of the program";
            m_doubles.presented->clear();
        }
        if (recordingState != State::stopped) {
            item(recordingState == State::paused ? MenuTexts::resume : MenuTexts::pause)->trigger();
            item(MenuTexts::stop)->trigger();
            EXPECT_EQ(state().recordingState(), State::stopped);
        }
        EXPECT_TRUE(m_doubles.presented->empty()) << m_doubles.presentedTexts().join(u'|').toStdString();
    }
}

// The greyed Record gives the reason a start gives, with its advice: the sound server gone is not
// told as devices missing, and an output's monitor left as the default input is no input device.
TEST_F(StatusMenuTest, TheGreyedRecordAndMonitorSayWhatAStartWouldSay)
{
    const AudioError refused = FakeAudioHardware::serverNotRunning();
    const AudioError monitorDefault = FakeAudioHardware::monitorAsDefaultInput();
    const struct
    {
        const char *name;
        std::vector<HardwareDevice> devices;
        std::optional<AudioError> listError;
        std::optional<AudioError> defaultInputError;
        QString tooltip;
        QString monitorTooltip;
    } cases[] = {
        { "the sound server not running", {}, refused, refused,
            RecordingTexts::soundServerNotRunning() + u' '
                + RecordingTexts::soundServerNotRunningSuggestion(),
            RecordingTexts::soundServerNotRunningToMonitor() + u' '
                + RecordingTexts::soundServerNotRunningSuggestion() },
        { "only an output's monitor", { FakeAudioHardware::output(3, QStringLiteral("speaker")) },
            std::nullopt, monitorDefault,
            RecordingTexts::noInputDevices() + u' ' + RecordingTexts::noInputDevicesSuggestion(),
            RecordingTexts::noInputDevicesToMonitor() + u' ' + RecordingTexts::noInputDevicesSuggestion() },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        m_hardware.deviceList = c.devices;
        m_hardware.listError = c.listError;
        m_hardware.defaultInput.reset();
        m_hardware.defaultInputError = c.defaultInputError;
        EXPECT_EQ(rows().mid(0, 1), QStringList { QStringLiteral("(Record)") });
        EXPECT_EQ(item(MenuTexts::record)->toolTip(), c.tooltip);
        EXPECT_EQ(item(MenuTexts::monitorInput)->toolTip(), c.monitorTooltip);
        // The start the shortcut would make refuses with the same words.
        try {
            state().recorder().startRecording();
            ADD_FAILURE() << "nothing to record from";
        } catch (const Error &error) {
            EXPECT_EQ(error.localizedDescription() + u' ' + error.recoverySuggestion().value_or(QString()),
                c.tooltip);
        }
    }
}

TEST_F(StatusMenuTest, ChoosingADeviceChangesTheSystemDefaultOrSaysWhyNot)
{
    struct Case
    {
        QString uniqueID;
        std::optional<AudioError> refusal;
        std::vector<quint32> setCalls;
        std::size_t shownErrors;
    };
    const Case cases[] = {
        { QStringLiteral("headset"), std::nullopt, { 2 }, 0 },
        { QStringLiteral("unplugged"), std::nullopt, {}, 0 },
        { QStringLiteral("speaker"), std::nullopt, {}, 1 },
        { QStringLiteral("mic"), FakeAudioHardware::noSuchDevice(), { 1 }, 1 },
    };
    for (const Case &c : cases) {
        m_hardware.setDefaultCalls.clear();
        m_hardware.setDefaultError = c.refusal;
        m_doubles.reports->clear();
        m_doubles.presented->clear();
        InputDeviceMenu::chooseDevice(c.uniqueID);
        QCoreApplication::sendPostedEvents();
        EXPECT_EQ(m_hardware.setDefaultCalls, c.setCalls) << c.uniqueID.toStdString();
        EXPECT_EQ(m_doubles.presented->size(), c.shownErrors) << c.uniqueID.toStdString();
        EXPECT_EQ(m_doubles.reportedTexts(), m_doubles.presentedTexts());
    }
}

// A recording in `dir` is the previous one, so the menu has that submenu.
void setPreviousRecording(const QTemporaryDir &dir)
{
    Defaults::set(SettingsKeys::previousRecording(),
        std::optional(SandboxURLBookmark::fromURL(
            QUrl::fromLocalFile(TestSupport::writeFile(dir.filePath(QStringLiteral("Take.m4a")))))));
}

// Every menu reachable from `menu`, lazy submenus opened so that they fill.
void collectMenus(QMenu *menu, QList<QMenu *> &menus)
{
    menus.append(menu);
    for (QAction *action : menu->actions()) {
        if (auto *submenu = action->menu<QMenu *>()) {
            emit submenu->aboutToShow();
            collectMenus(submenu, menus);
        }
    }
}

TEST_F(StatusMenuTest, EveryMenuOfTheTreeShowsItsItemsTooltips)
{
    QTemporaryDir dir;
    setPreviousRecording(dir);
    rows();
    QList<QMenu *> menus;
    collectMenus(&state().menu(), menus);
    EXPECT_GE(menus.size(), 3) << "the status menu, the previous recording and More";
    for (const QMenu *menu : std::as_const(menus)) {
        EXPECT_TRUE(menu->toolTipsVisible()) << menu->title().toStdString();
    }
}

// The shortcut a recorder would take for the keys of a menu item; none when no shortcut can
// have them.
std::optional<KeyboardShortcuts::Shortcut> shortcutOf(const QKeySequence &keys)
{
    const QKeyCombination combination = keys[0];
    const Qt::KeyboardModifiers modifiers = combination.keyboardModifiers();
    const KeyTableEntry *key = KeyTable::forQtKey(combination.key(), modifiers & Qt::KeypadModifier);
    if (!key) {
        return std::nullopt;
    }
    quint32 bits = 0;
    bits |= modifiers & Qt::MetaModifier ? CarbonModifier::command : 0;
    bits |= modifiers & Qt::ShiftModifier ? CarbonModifier::shift : 0;
    bits |= modifiers & Qt::AltModifier ? CarbonModifier::option : 0;
    bits |= modifiers & Qt::ControlModifier ? CarbonModifier::control : 0;
    return KeyboardShortcuts::Shortcut { key->carbonKeyCode, std::int32_t(bits) };
}

// Whatever keys the menu tree answers to, besides the shortcut names' own, no global shortcut may
// take: the menu would show them twice and another item would run in its place.
TEST_F(StatusMenuTest, NoShortcutMayTakeTheKeysOfAnItemOfTheMenuTree)
{
    const std::vector<std::pair<KeyboardShortcuts::Name, KeyboardShortcuts::Shortcut>> names {
        { ShortcutNames::toggleRecording(), { 0x0F, 0x1800 } },
        { ShortcutNames::togglePauseRecording(), { 0x11, 0x1800 } },
        { ShortcutNames::toggleInputMonitoring(), { 0x10, 0x1800 } },
    };
    for (const auto &[name, shortcut] : names) {
        ASSERT_EQ(KeyboardShortcuts::setShortcut(shortcut, name), std::nullopt);
    }
    QTemporaryDir dir;
    setPreviousRecording(dir);
    rows();
    QList<QMenu *> menus;
    collectMenus(&state().menu(), menus);
    // Recording adds the pause item.
    state().recorder().recorder().start(QUrl::fromLocalFile(dir.filePath(QStringLiteral("take.m4a"))),
        AudioFormatId::aac, 96, std::nullopt, AudioRecorder::BitRate::bps256000,
        AudioRecorder::SampleRate::hz48000, false, false);
    KwMenu recording;
    state().updateMenu(recording);
    collectMenus(&recording, menus);

    // Read first: the names' items follow their shortcuts, also to a key wrongly taken.
    std::vector<std::pair<QString, KeyboardShortcuts::Shortcut>> menuKeys;
    for (const QMenu *menu : std::as_const(menus)) {
        for (const QAction *action : menu->actions()) {
            const auto shortcut
                = action->shortcut().isEmpty() ? std::nullopt : shortcutOf(action->shortcut());
            if (shortcut
                && std::ranges::find(names, *shortcut, &decltype(names)::value_type::second) == names.end()) {
                menuKeys.emplace_back(action->text(), *shortcut);
            }
        }
    }
    EXPECT_GE(menuKeys.size(), 2) << "settings and quit";
    for (const auto &[title, shortcut] : menuKeys) {
        SCOPED_TRACE(title.toStdString());
        EXPECT_TRUE(KeyboardShortcuts::setShortcut(shortcut, ShortcutNames::toggleRecording()).has_value());
        EXPECT_EQ(KeyboardShortcuts::getShortcut(ShortcutNames::toggleRecording()), names[0].second);
    }
}

// The item keeps its own copy of the key: one given as a temporary, whose place another key then
// takes, still toggles the set it was made for, both ways.
TEST_F(StatusMenuTest, ASetToggleItemKeepsItsOwnKey)
{
    for (const bool member : { false, true }) {
        SCOPED_TRACE(member);
        using Members = std::set<std::string>;
        const Members before = member ? Members { "mic", "other" } : Members { "other" };
        const Members after = member ? Members { "other" } : Members { "mic", "other" };
        std::optional<Defaults::Key<Members>> given;
        given.emplace("monoDevices", Members {}, UserDefaults::standard());
        Defaults::set(*given, before);
        QMenu menu;
        CallbackMenuItem *item
            = addDefaultsSetToggleItem(&menu, MenuTexts::forceMono, *given, QStringLiteral("mic"));
        EXPECT_EQ(item->isOn(), member);
        given.reset();
        given.emplace("unrelated", Members { "kept" }, UserDefaults::standard());
        item->trigger();
        EXPECT_EQ(Defaults::getValue<Members>(standard(), "monoDevices"), after);
        EXPECT_EQ(Defaults::get(*given), Members { "kept" });
    }
}

TEST(PeriodicallyUpdatedItemTest, TicksOnlyWhileTheMenuIsOpen)
{
    KwMenu menu;
    int updates = 0;
    emit menu.aboutToShow();
    addPeriodicallyUpdatedItem(&menu, std::chrono::milliseconds(20), [&](QAction *) { ++updates; });
    EXPECT_EQ(updates, 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return updates >= 3; }, 5000)) << updates;
    emit menu.aboutToHide();
    const int whenClosed = updates;
    QTest::qWait(60);
    EXPECT_EQ(updates, whenClosed);
}

} // namespace
