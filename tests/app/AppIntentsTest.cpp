#include "app/AppIntents.h"
#include "app/GetActiveRecordingDurationIntent.h"
#include "app/RecordingStateAppEnum.h"
#include "platform/audio/FourCharCode.h"
#include "recording/AudioRecorderController.h"
#include "recording/RecordingTexts.h"

#include "AudioDoubles.h"
#include "FakeRecordingSettings.h"
#include "FakeSoundPlayer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(RecordingStateAppEnumTest, RawValuesAreExactlyTheCaseNames)
{
    struct Case
    {
        QString raw;
        std::optional<RecordingStateAppEnum> state;
    };
    for (const Case &c : std::vector<Case> { { "stopped", RecordingStateAppEnum::stopped },
             { "recording", RecordingStateAppEnum::recording }, { "paused", RecordingStateAppEnum::paused },
             { "Paused", std::nullopt }, { " paused", std::nullopt }, { "", std::nullopt } }) {
        EXPECT_EQ(RecordingStateAppEnums::fromRawValue(c.raw), c.state) << c.raw.toStdString();
    }
}

TEST(GetActiveRecordingDurationIntentTest, SecondsAtNanosecondResolutionAndMinusOneForNone)
{
    struct Case
    {
        double currentTime;
        double expected;
    };
    for (const Case &c : std::vector<Case> { { 0, -1 }, { 2.5, 2.5 }, { 1e-9, 1e-9 }, { 0.4e-9, -1 },
             { 3723.000000001, 3723.000000001 }, { std::numeric_limits<double>::quiet_NaN(), -1 } }) {
        EXPECT_DOUBLE_EQ(GetActiveRecordingDurationIntent::seconds(c.currentTime), c.expected)
            << c.currentTime;
    }
}

// Only a recording that runs or is paused has a duration: a failure that ended one (the sound server
// gone) leaves its file recorder holding the time it had reached.
TEST(GetActiveRecordingDurationIntentTest, TheCurrentRecordingsSecondsOnlyWhileItRunsOrIsPaused)
{
    AudioDoubles::Installation doubles;
    doubles.hardware.deviceList = { FakeAudioHardware::input(1, QStringLiteral("mic"), 1) };
    doubles.hardware.defaultInput = 1;
    FakeSoundPlayer sounds;
    AudioRecorderController controller(std::make_shared<FakeRecordingSettings>(), &sounds);
    AudioRecorder &recorder = controller.recorder();
    const auto start = [&] {
        recorder.start(QUrl::fromLocalFile(QStringLiteral("/tmp/take.m4a")), AudioFormatId::aac, 96,
            std::nullopt, AudioRecorder::BitRate::bps256000, AudioRecorder::SampleRate::hz48000, false,
            false);
        doubles.recorders.recordings.back()->currentTime = 2.5;
    };
    const AudioError serverGone { AudioError::Domain::soundServer, 6,
        QStringLiteral("Connection terminated") };
    struct Step
    {
        const char *name;
        std::function<void()> act;
        AudioRecorder::State state;
        double seconds;
    };
    using State = AudioRecorder::State;
    const std::vector<Step> steps {
        { "none yet", [] {}, State::stopped, -1 },
        { "recording", start, State::recording, 2.5 },
        { "paused", [&] { recorder.pause(); }, State::paused, 2.5 },
        { "stopped", [&] { recorder.stop(); }, State::stopped, -1 },
        { "ended by a failure",
            [&] {
                start();
                doubles.recorders.recordings.back()->failWithEncodeError(serverGone);
            },
            State::stopped, -1 },
        { "ended without its file",
            [&] {
                start();
                doubles.recorders.recordings.back()->finish(false);
            },
            State::stopped, -1 },
    };
    for (const Step &step : steps) {
        step.act();
        EXPECT_EQ(recorder.state(), step.state) << step.name;
        EXPECT_EQ(GetActiveRecordingDurationIntent().perform(controller), step.seconds) << step.name;
    }
    EXPECT_EQ(doubles.recorders.recordings.size(), 3u);
}

// A start over the bus that finds nothing to record from answers with the reason and advice the menu
// and the shortcut's alert give, and shows that alert too (a desktop's shortcut may have called);
// with an input, or with a recording running, it answers nothing.
TEST(SetRecordingStateIntentTest, AStartWithoutAnInputAnswersTheReasonTheAlertShows)
{
    const AudioError refused = FakeAudioHardware::serverNotRunning();
    const AudioError monitorDefault = FakeAudioHardware::monitorAsDefaultInput();
    const HardwareDevice mic = FakeAudioHardware::input(1, QStringLiteral("mic"), 1);
    const QString noInputs
        = RecordingTexts::noInputDevices() + u' ' + RecordingTexts::noInputDevicesSuggestion();
    const struct
    {
        const char *name;
        std::vector<HardwareDevice> devices;
        std::optional<AudioError> listError;
        std::optional<AudioError> defaultInputError;
        bool recording;
        QString answer; // empty: none
    } cases[] = {
        { "the sound server not running", {}, refused, refused, false,
            RecordingTexts::soundServerNotRunning() + u' '
                + RecordingTexts::soundServerNotRunningSuggestion() },
        { "only an output's monitor", { FakeAudioHardware::output(3, QStringLiteral("speaker")) },
            std::nullopt, monitorDefault, false, noInputs },
        { "no device", {}, std::nullopt, std::nullopt, false, noInputs },
        { "a microphone", { mic }, std::nullopt, std::nullopt, false, {} },
        { "a recording running", { mic }, std::nullopt, std::nullopt, true, {} },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        AudioDoubles::Installation doubles;
        FakeSoundPlayer sounds;
        AudioRecorderController controller(std::make_shared<FakeRecordingSettings>(), &sounds);
        const AutomationInterface interface = AppIntents::makeInterface(
            [&]() -> AudioRecorderController & { return controller; });
        const AutomationMethod *set = interface.method(QStringLiteral("SetRecordingState"));
        ASSERT_TRUE(set);
        doubles.hardware.deviceList = { mic };
        doubles.hardware.defaultInput = 1;
        if (c.recording) {
            controller.start();
            sounds.completeAll();
            ASSERT_EQ(controller.recorder().state(), AudioRecorder::State::recording);
        }
        doubles.hardware.deviceList = c.devices;
        doubles.hardware.listError = c.listError;
        doubles.hardware.defaultInputError = c.defaultInputError;
        if (c.devices.empty() || c.devices.front().isOutput) {
            doubles.hardware.defaultInput.reset();
        }

        const AutomationResult result = set->handler({ QStringLiteral("recording") });
        const auto *error = std::get_if<AutomationError>(&result);
        if (c.answer.isEmpty()) {
            EXPECT_FALSE(error) << error->message.toStdString();
        } else {
            ASSERT_TRUE(error);
            EXPECT_EQ(error->name, QString::fromLatin1(AppIntents::cannotRecordError));
            EXPECT_EQ(error->message, c.answer);
        }
        sounds.completeAll();
        QCoreApplication::sendPostedEvents();
        EXPECT_EQ(doubles.presented->size(), c.answer.isEmpty() ? 0u : 1u)
            << doubles.presentedTexts().join(u'|').toStdString();
        if (!c.answer.isEmpty() && !doubles.presented->empty()) {
            const ErrorPtr &shown = doubles.presented->front();
            EXPECT_EQ(shown->localizedDescription() + u' ' + shown->recoverySuggestion().value_or(QString()),
                c.answer);
        }
        EXPECT_EQ(controller.recorder().state() == AudioRecorder::State::recording, c.answer.isEmpty());
    }
}

} // namespace
