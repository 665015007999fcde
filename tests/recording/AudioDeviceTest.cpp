#include "AudioDoubles.h"

#include "recording/AudioDevice.h"
#include "recording/RecordingTexts.h"

#include "platform/audio/FourCharCode.h"

#include <gtest/gtest.h>

namespace {

using AudioDoubles::namedInput;
using AudioDoubles::namedOutput;

QStringList ids(const std::vector<AudioDevice> &devices)
{
    QStringList result;
    for (const AudioDevice &device : devices) {
        result << device.id;
    }
    return result;
}

class AudioDeviceTest : public ::testing::Test
{
protected:
    void useMicAndLine()
    {
        doubles.hardware.deviceList = { namedInput(1, "mic", "Microphone", TransportCode::usb, 1),
            namedInput(2, "line", "Line In", TransportCode::pci, 2) };
    }

    AudioDoubles::Installation doubles;
};

TEST_F(AudioDeviceTest, BuiltInDevicesComeFirstAndEachGroupKeepsTheServersOrder)
{
    doubles.hardware.deviceList = {
        namedInput(1, "usb-a", "Interface A", TransportCode::usb, 2),
        namedInput(2, "usb-b", "Interface B", TransportCode::usb, 2),
        namedOutput(3, "hdmi", "Screen", TransportCode::hdmi, 2),
        namedInput(4, "mic", "Built-in Microphone", TransportCode::builtIn, 1),
        namedOutput(5, "speakers", "Built-in Speakers", TransportCode::builtIn, 2),
    };

    EXPECT_EQ(ids(AudioDevice::all()), QStringList({ "mic", "speakers", "usb-a", "usb-b", "hdmi" }));
    EXPECT_EQ(ids(AudioDevice::inputDevices()), QStringList({ "mic", "usb-a", "usb-b" }));
}

// Private default aggregates are in neither list; only the sixteen-channel loopback's name is
// shortened.
TEST_F(AudioDeviceTest, PrivateAggregatesAreLeftOutAndOnlyOneLoopbackNameIsShortened)
{
    doubles.hardware.deviceList = {
        namedInput(1, "CADefaultDeviceAggregate-1234-5", "Aggregate", TransportCode::builtIn, 2),
        namedInput(2, "cadefaultdeviceaggregate-lower", "BlackHole 16ch", TransportCode::usb, 16),
        namedInput(3, "loop2", "BlackHole 2ch", TransportCode::virtualDevice, 2),
        namedInput(4, "loop64", "BlackHole 16ch (copy of BlackHole 16ch)", TransportCode::virtualDevice, 2),
    };

    const auto devices = AudioDevice::all();
    EXPECT_EQ(ids(devices), QStringList({ "cadefaultdeviceaggregate-lower", "loop2", "loop64" }));
    ASSERT_EQ(devices.size(), 3u);
    EXPECT_EQ(devices[0].localizedName, "BlackHole");
    EXPECT_EQ(devices[1].localizedName, "BlackHole 2ch");
    EXPECT_EQ(devices[2].localizedName, "BlackHole (copy of BlackHole)");
    const auto captures = AudioCaptureDevices::audioInputDevices();
    ASSERT_EQ(captures.size(), 3u);
    EXPECT_EQ(captures[0].uniqueId, "cadefaultdeviceaggregate-lower");
}

TEST_F(AudioDeviceTest, TransportCodesAndNamesMapToTheirCasesAndNothingElse)
{
    EXPECT_EQ(AudioTransport::fromCode(fourCharCode("1394")), AudioTransportType::firewire);
    EXPECT_EQ(AudioTransport::fromCode(fourCharCode("zzzz")), AudioTransportType::unknown);
    EXPECT_EQ(AudioTransport::fromCode(0), AudioTransportType::unknown);
    doubles.hardware.deviceList = { namedInput(1, "odd", "Odd", fourCharCode("what"), 1) };
    EXPECT_EQ(AudioDevice::all().at(0).transportType, AudioTransportType::unknown);

    for (const AudioTransportType type : AudioTransport::allCases()) {
        EXPECT_EQ(AudioTransport::fromRawValue(AudioTransport::rawValue(type)), type);
    }
    for (const char *other : { "USB", "virtualDevice", "" }) {
        EXPECT_FALSE(AudioTransport::fromRawValue(other)) << other;
    }
}

TEST_F(AudioDeviceTest, AnUnreadableListIsEmptyAndNotReported)
{
    useMicAndLine();
    doubles.hardware.listError = AudioError { AudioError::Domain::soundServer, 6, "Connection refused" };

    EXPECT_TRUE(AudioDevice::all().empty());
    EXPECT_TRUE(AudioDevice::inputDevices().empty());
    EXPECT_TRUE(doubles.reports->empty());
}

TEST_F(AudioDeviceTest, ADeviceThatCannotBeReadIsReportedAndLeftOutAndTheDefaultInputIsReadByItsId)
{
    useMicAndLine();
    doubles.hardware.deviceErrors[1] = AudioError { AudioError::Domain::soundServer, 5, "No such entity" };

    const std::vector<AudioDevice> devices = AudioDevice::all();
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices.front().id, "line");
    ASSERT_EQ(doubles.reports->size(), 1u);
    const QVariantMap &userInfo = doubles.reports->front().userInfo;
    EXPECT_EQ(userInfo.value("deviceID").toUInt(), 1u);
    EXPECT_EQ(userInfo.value("deviceIDs").toList(), (QVariantList { 1u, 2u }));

    // The default input is read through its id, and a failed read is passed on.
    doubles.hardware.defaultInput = 2;
    EXPECT_EQ(AudioDevice::defaultInputDevice().id, "line");
    doubles.hardware.deviceErrors.emplace(2u, AudioError { AudioError::Domain::soundServer, 8, "timeout" });
    try {
        AudioDevice::defaultInputDevice();
        FAIL() << "the failed device read must be passed on";
    } catch (const Error &error) {
        EXPECT_EQ(error.code(), 8);
    }
    // No default input says only that; an output's monitor in its place also says what to do.
    doubles.hardware.defaultInput.reset();
    for (const bool outputMonitor : { false, true }) {
        AudioError missing { AudioError::Domain::soundServer, 5,
            "The default input is not an input device." };
        missing.deviceGone = true;
        missing.outputMonitor = outputMonitor;
        doubles.hardware.defaultInputError = missing;
        try {
            AudioDevice::defaultInputDevice();
            FAIL() << "a missing default input must be passed on";
        } catch (const Error &error) {
            EXPECT_EQ(error.localizedDescription(), missing.message);
            EXPECT_EQ(error.recoverySuggestion(),
                outputMonitor ? std::optional(RecordingTexts::monitorAsInputSuggestion()) : std::nullopt);
        }
    }
}

TEST_F(AudioDeviceTest, LookupByUniqueIdReadsTheDeviceAgainAndAnAbsentIdIsAnInvalidDevice)
{
    useMicAndLine();

    // Channels and directions come from the streams.
    const AudioDevice device = AudioDevice::fromUniqueID("line");
    EXPECT_EQ(device.deviceID, 2u);
    EXPECT_EQ(device.localizedName, "Line In");
    EXPECT_TRUE(device.isInput);
    EXPECT_FALSE(device.isOutput);
    EXPECT_EQ(device.inputChannelCount, 2);
    EXPECT_EQ(device.outputChannelCount, 0);
    EXPECT_EQ(device.transportType, AudioTransportType::pci);
    try {
        AudioDevice::fromUniqueID("Line");
        FAIL() << "no device has that identifier";
    } catch (const AudioDevice::Error &error) {
        EXPECT_EQ(error.value(), AudioDevice::Error::invalidDevice);
    }

    // The device goes between the listing and the second read.
    int reads = 0;
    doubles.hardware.beforeDeviceRead = [&](quint32 id) {
        if (id == 2 && ++reads == 2) {
            doubles.hardware.deviceErrors.emplace(
                2u, AudioError { AudioError::Domain::soundServer, 5, "gone" });
        }
    };
    try {
        AudioDevice::fromUniqueID("line");
        FAIL() << "a failing second read must be passed on";
    } catch (const Error &error) {
        EXPECT_EQ(error.domain(), "NSOSStatusErrorDomain");
        EXPECT_EQ(error.code(), 5);
        EXPECT_EQ(error.localizedDescription(), "gone") << "the sound server's text reaches the user";
    }
}

} // namespace
