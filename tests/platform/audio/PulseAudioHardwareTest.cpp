#include "AudioTestSupport.h"
#include "DesktopTest.h"
#include "EventLoop.h"
#include "PulseModule.h"

#include "platform/audio/PulseAudioHardware.h"
#include "platform/audio/PulseProperties.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

using namespace std::chrono_literals;
using AudioTest::pactl;

namespace {

std::optional<HardwareDevice> findByUid(const std::vector<HardwareDevice> &devices, const QString &uid)
{
    const auto found
        = std::find_if(devices.begin(), devices.end(), [&](const HardwareDevice &d) { return d.uid == uid; });
    return found == devices.end() ? std::nullopt : std::optional(*found);
}

// The list follows the server's change events, a moment after the change.
std::optional<HardwareDevice> awaitDevice(AudioHardware &hardware, const QString &uid, bool present = true)
{
    std::optional<HardwareDevice> found;
    TestSupport::processEventsUntil([&] {
        const auto devices = hardware.devices();
        found = devices ? findByUid(devices.value(), uid) : std::nullopt;
        return found.has_value() == present;
    });
    return found;
}

class PulseAudioHardwareTest : public TestSupport::DesktopTest
{
protected:
    void SetUp() override
    {
        TestSupport::DesktopTest::SetUp();
        const auto source = pactl({ QStringLiteral("get-default-source") });
        ASSERT_TRUE(source) << "no sound server";
        m_defaultSource = *source;
    }
    void TearDown() override { pactl({ QStringLiteral("set-default-source"), m_defaultSource }); }

    PulseAudioHardware m_hardware;
    QString m_defaultSource;
};

TEST_F(PulseAudioHardwareTest, ListsInputsAndOutputsButNoMonitors)
{
    const auto devices = m_hardware.devices();
    ASSERT_TRUE(devices) << devices.error().message.toStdString();
    const auto input = findByUid(devices.value(), m_defaultSource);
    ASSERT_TRUE(input);
    EXPECT_TRUE(input->isInput);
    EXPECT_FALSE(input->isOutput);
    EXPECT_GE(input->inputChannelCount, 1);
    EXPECT_EQ(input->outputChannelCount, 0);
    EXPECT_FALSE(input->name.isEmpty());
    EXPECT_EQ(input->deviceId & HardwareDevice::outputIdFlag, 0u);

    const auto sinkName = pactl({ QStringLiteral("get-default-sink") });
    ASSERT_TRUE(sinkName);
    const auto output = findByUid(devices.value(), *sinkName);
    ASSERT_TRUE(output);
    EXPECT_TRUE(output->isOutput);
    EXPECT_FALSE(output->isInput);
    EXPECT_NE(output->deviceId & HardwareDevice::outputIdFlag, 0u);
    EXPECT_EQ(output->transportType, TransportCode::virtualDevice); // a null sink

    EXPECT_FALSE(findByUid(devices.value(), *sinkName + QStringLiteral(".monitor")));
    // Inputs come first.
    const auto firstOutput = std::find_if(
        devices.value().begin(), devices.value().end(), [](const HardwareDevice &d) { return d.isOutput; });
    EXPECT_TRUE(
        std::none_of(firstOutput, devices.value().end(), [](const HardwareDevice &d) { return d.isInput; }));

    const auto captures = m_hardware.captureDevices();
    const auto inputCount = std::count_if(
        devices.value().begin(), devices.value().end(), [](const HardwareDevice &d) { return d.isInput; });
    ASSERT_EQ(qsizetype(captures.size()), inputCount);
    EXPECT_TRUE(std::any_of(captures.begin(), captures.end(),
        [&](const CaptureDevice &c) { return c.uniqueId == input->uid && c.localizedName == input->name; }));
}

TEST_F(PulseAudioHardwareTest, ReadsEachDeviceAndTheDefaultInputByIdAndRejectsUnknownIds)
{
    const auto devices = m_hardware.devices();
    ASSERT_TRUE(devices);
    for (const HardwareDevice &listed : devices.value()) {
        const auto read = m_hardware.device(listed.deviceId);
        ASSERT_TRUE(read) << read.error().message.toStdString();
        EXPECT_EQ(read.value(), listed);
    }
    const auto defaultId = m_hardware.defaultInputDeviceId();
    ASSERT_TRUE(defaultId) << defaultId.error().message.toStdString();
    EXPECT_EQ(m_hardware.device(defaultId.value()).value().uid, m_defaultSource);
    EXPECT_FALSE(m_hardware.setDefaultInputDevice(defaultId.value() | HardwareDevice::outputIdFlag));

    const auto missing = m_hardware.device(4000000);
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().domain, AudioError::Domain::soundServer);
    EXPECT_FALSE(missing.error().message.isEmpty());

    const auto sinkName = pactl({ QStringLiteral("get-default-sink") });
    const auto monitorIndex
        = pactl({ QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("sources") });
    ASSERT_TRUE(sinkName && monitorIndex);
    for (const QString &line : monitorIndex->split(u'\n')) {
        const QStringList fields = line.split(u'\t');
        if (fields.size() > 1 && fields[1] == *sinkName + QStringLiteral(".monitor")) {
            EXPECT_FALSE(m_hardware.device(fields[0].toUInt()));
        }
    }

    // What the server makes its default input once no input is left: that says the device is gone,
    // and names the monitor as sound settings show it.
    const QString monitor = *sinkName + QStringLiteral(".monitor");
    const auto sources = pactl({ QStringLiteral("list"), QStringLiteral("sources") });
    ASSERT_TRUE(sources);
    const QString block = sources->mid(sources->indexOf(QStringLiteral("Name: ") + monitor));
    const QString description = block.section(QStringLiteral("Description: "), 1).section(u'\n', 0, 0);
    ASSERT_FALSE(description.isEmpty()) << sources->toStdString();
    ASSERT_NE(description, monitor);
    ASSERT_TRUE(pactl({ QStringLiteral("set-default-source"), monitor }));
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return !m_hardware.defaultInputDeviceId(); }));
    const AudioError error = m_hardware.defaultInputDeviceId().error();
    EXPECT_TRUE(error.deviceGone);
    EXPECT_TRUE(error.outputMonitor);
    EXPECT_EQ(error.message.toStdString(),
        QStringLiteral("The default input \"%1\" is not an input device.").arg(description).toStdString());
}

TEST_F(PulseAudioHardwareTest, HotPluggedInputAppearsCanBecomeDefaultAndDisappears)
{
    int changes = 0;
    int heardByAnother = 0;
    ScopedRegistration listening = m_hardware.listenForDefaultInputChanges([&] { ++changes; });
    ScopedRegistration another = m_hardware.listenForDefaultInputChanges([&] { ++heardByAnother; });
    auto module = TestSupport::PulseModule::loadNullSource(QStringLiteral("tapewick_test_input"), 1);
    ASSERT_TRUE(module);

    const auto plugged = awaitDevice(m_hardware, QStringLiteral("tapewick_test_input"));
    ASSERT_TRUE(plugged);
    EXPECT_EQ(plugged->inputChannelCount, 1);
    EXPECT_EQ(plugged->transportType, TransportCode::virtualDevice);

    ASSERT_TRUE(m_hardware.setDefaultInputDevice(plugged->deviceId));
    EXPECT_EQ(pactl({ QStringLiteral("get-default-source") }), QStringLiteral("tapewick_test_input"));
    EXPECT_EQ(m_hardware.defaultInputDeviceId().value(), plugged->deviceId);
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return changes == 1; }));

    // Another server-wide setting is no change of the default input; setting the same source
    // again is none either.
    const auto sink = pactl({ QStringLiteral("get-default-sink") });
    ASSERT_TRUE(sink);
    auto otherSink = TestSupport::PulseModule::load(
        QStringLiteral("module-null-sink"), { QStringLiteral("sink_name=tapewick_test_sink") });
    ASSERT_TRUE(otherSink);
    ASSERT_TRUE(pactl({ QStringLiteral("set-default-sink"), QStringLiteral("tapewick_test_sink") }));
    ASSERT_TRUE(pactl({ QStringLiteral("set-default-sink"), *sink }));
    ASSERT_TRUE(m_hardware.setDefaultInputDevice(plugged->deviceId));
    TestSupport::processEventsFor(300ms);
    EXPECT_EQ(changes, 1);

    ASSERT_TRUE(pactl({ QStringLiteral("set-default-source"), m_defaultSource }));
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return changes == 2; }));

    ASSERT_TRUE(module->unload());
    EXPECT_FALSE(awaitDevice(m_hardware, QStringLiteral("tapewick_test_input"), false));
    EXPECT_FALSE(m_hardware.device(plugged->deviceId));
    EXPECT_FALSE(m_hardware.setDefaultInputDevice(plugged->deviceId));

    // Every listener hears each change once; an ended registration hears nothing more.
    EXPECT_EQ(heardByAnother, 2);
    listening.reset();
    ASSERT_TRUE(pactl({ QStringLiteral("set-default-source"), *sink + QStringLiteral(".monitor") }));
    ASSERT_TRUE(pactl({ QStringLiteral("set-default-source"), m_defaultSource }));
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return heardByAnother == 4; }));
    TestSupport::processEventsFor(200ms);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(heardByAnother, 4);
}

// PipeWire spells the form factor with a hyphen; a card on the main board is built-in (and sorts
// first) either way.
TEST_F(PulseAudioHardwareTest, AnInternalCardIsBuiltInInEitherSpelling)
{
    const auto feed = qEnvironmentVariable("TAPEWICK_TEST_TONE_FEED_SINK");
    std::vector<TestSupport::PulseModule> modules;
    for (const QString &key : { QStringLiteral("form_factor"), QStringLiteral("form-factor") }) {
        const QString name = QStringLiteral("tapewick_internal_") + QString(key).replace(u'-', u'_');
        auto module = TestSupport::PulseModule::load(QStringLiteral("module-remap-source"),
            { QStringLiteral("source_name=") + name,
                QStringLiteral("master=") + feed + QStringLiteral(".monitor"),
                QStringLiteral("source_properties=\"device.bus=pci device.%1=internal\"").arg(key) });
        ASSERT_TRUE(module);
        modules.push_back(std::move(*module));
        const auto internal = awaitDevice(m_hardware, name);
        ASSERT_TRUE(internal);
        EXPECT_EQ(internal->transportType, TransportCode::builtIn) << key.toStdString();
    }
}

TEST(PulseAudioHardwareServerTest, MissingServerGivesErrorsAtOnce)
{
    PulseAudioHardware hardware({ QStringLiteral("unix:/nonexistent/tapewick-test"), 500ms });
    QElapsedTimer clock;
    clock.start();
    const auto devices = hardware.devices();
    ASSERT_FALSE(devices);
    EXPECT_EQ(devices.error().domain, AudioError::Domain::soundServer);
    EXPECT_TRUE(devices.error().serverNotRunning) << "told as a server that is not running";
    const auto defaultInput = hardware.defaultInputDeviceId();
    ASSERT_FALSE(defaultInput);
    EXPECT_TRUE(defaultInput.error().serverNotRunning);
    EXPECT_FALSE(hardware.device(0));
    EXPECT_FALSE(hardware.setDefaultInputDevice(0));
    EXPECT_TRUE(hardware.captureDevices().empty());
    ScopedRegistration listening = hardware.listenForDefaultInputChanges([] {});
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_TRUE(hardware.requestMicrophoneAccess());
}

TEST(PulseAudioHardwareServerTest, ServerThatNeverAnswersGivesATimeout)
{
    // A socket that takes connections into its backlog and never speaks.
    QTemporaryDir dir;
    const QByteArray path = dir.filePath(QStringLiteral("silent")).toUtf8();
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.constData(), sizeof(address.sun_path) - 1);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof(address)), 0);
    ASSERT_EQ(::listen(listener, 8), 0);

    PulseAudioHardware hardware({ QStringLiteral("unix:") + QString::fromUtf8(path), 400ms });
    QElapsedTimer clock;
    clock.start();
    const auto devices = hardware.devices();
    const auto elapsed = clock.elapsed();
    ::close(listener);
    ASSERT_FALSE(devices);
    EXPECT_FALSE(devices.error().serverNotRunning) << "it runs, but does not answer";
    EXPECT_GE(elapsed, 350);
    EXPECT_LT(elapsed, 1500);
}

TEST(TransportTest, DevicePropertiesNameTheTransport)
{
    // Fields: bus, form factor, api, class, driver, and PipeWire's factory name and virtual flag.
    const QString pw = QStringLiteral("PipeWire");
    const QString alsa = QStringLiteral("alsa");
    const QString sound = QStringLiteral("sound");
    const struct
    {
        PulseDeviceProperties properties;
        quint32 expected;
    } cases[] = {
        { { "pci", "internal", alsa, sound, "module-alsa-card.c" }, TransportCode::builtIn },
        { { "pci", {}, alsa, sound, {} }, TransportCode::pci },
        { { "usb", "headset", alsa, {}, {} }, TransportCode::usb },
        { { "bluetooth", "headset", "bluez", {}, {} }, TransportCode::bluetooth },
        { { "firewire", {}, {}, {}, {} }, TransportCode::fireWire },
        { { "thunderbolt", {}, {}, {}, {} }, TransportCode::thunderbolt },
        { { {}, "hdmi", {}, {}, {} }, TransportCode::hdmi },
        { { {}, "displayport", {}, {}, {} }, TransportCode::displayPort },
        { { {}, {}, {}, {}, "module-null-sink.c" }, TransportCode::virtualDevice },
        { { {}, {}, {}, "abstract", "module-combine-sink.c" }, TransportCode::virtualDevice },
        { { "isa", "speaker", alsa, sound, "module-alsa-card.c" }, TransportCode::unknown },
        { {}, TransportCode::unknown },
        // PipeWire names itself the driver; the node's own properties tell the transport.
        { { {}, {}, {}, {}, pw, "support.null-audio-sink", {} }, TransportCode::virtualDevice },
        { { {}, {}, {}, "filter", pw, {}, "true" }, TransportCode::virtualDevice },
        { { {}, {}, {}, {}, pw, "api.alsa.pcm.source", "true" }, TransportCode::virtualDevice },
        { { {}, {}, {}, {}, pw, "api.alsa.pcm.source", "false" }, TransportCode::unknown },
        { { "pci", "internal", alsa, sound, pw, "api.alsa.pcm.source", {} }, TransportCode::builtIn },
        { { "usb", {}, alsa, sound, pw, "api.alsa.pcm.sink", {} }, TransportCode::usb },
        { { {}, "headset", "bluez5", {}, pw, "api.bluez5.a2dp.sink", {} }, TransportCode::bluetooth },
        // A filter over a real device keeps that device's bus.
        { { "pci", "microphone", {}, "filter", pw, {}, "true" }, TransportCode::pci },
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(transportCodeFor(cases[i].properties), cases[i].expected) << "case " << i;
    }
}

} // namespace
