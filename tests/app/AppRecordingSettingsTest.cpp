#include "app/AppRecordingSettings.h"
#include "app/SettingsKeys.h"

#include "StandardDefaultsTest.h"

#include <gtest/gtest.h>

namespace {

class AppRecordingSettingsTest : public StandardDefaultsTest
{
protected:
    AppRecordingSettings settings;
};

// Stored in the forms earlier versions wrote, and read on every use, not kept from when the
// settings were made.
TEST_F(AppRecordingSettingsTest, KeysKeepTheirStoredFormsAndAreReadAfresh)
{
    using namespace SettingsKeys;
    Defaults::set(lossless(), true);
    Defaults::set(showInFinderAfterSaving(), false);
    Defaults::set(filenamePrefix(), std::optional<std::string>("Zoom call"));
    Defaults::set(forceMono(), std::set<std::string> { "usb-headset", "built-in" });
    EXPECT_EQ(standard().object("forceMono"),
        PropertyValue(PropertyArray {
            PropertyValue(std::string("built-in")), PropertyValue(std::string("usb-headset")) }));
    EXPECT_EQ(standard().object("filenamePrefix"), PropertyValue(std::string("Zoom call")));
    EXPECT_TRUE(settings.lossless());
    EXPECT_FALSE(settings.showInFinderAfterSaving());
    EXPECT_EQ(settings.filenamePrefix(), QStringLiteral("Zoom call"));
    EXPECT_EQ(settings.filenameTemplate(), std::nullopt);
    EXPECT_TRUE(settings.forcesMono(QStringLiteral("usb-headset")));
    EXPECT_FALSE(settings.forcesMono(QStringLiteral("usb")));

    const SandboxURLBookmark bookmark(QByteArray("\x01\x02bookmark", 10));
    Defaults::set(previousRecording(), std::optional(bookmark));
    EXPECT_EQ(standard().object("previousRecording"), PropertyValue(bookmark.bookmarkData()));
    EXPECT_EQ(Defaults::get(previousRecording()), bookmark);
    Defaults::set(previousRecording(), std::optional<SandboxURLBookmark>());
    EXPECT_EQ(standard().object("previousRecording"), std::nullopt);
}

TEST_F(AppRecordingSettingsTest, UnknownIconTextReadsAsMicrophone)
{
    standard().setObject("menuBarIcon", PropertyValue(std::string("Waveform")));
    EXPECT_EQ(Defaults::get(SettingsKeys::menuBarIcon()), MenuBarIcon::microphone);
    standard().setObject("menuBarIcon", PropertyValue(std::string("waveform2")));
    EXPECT_EQ(Defaults::get(SettingsKeys::menuBarIcon()), MenuBarIcon::waveform2);
}

TEST_F(AppRecordingSettingsTest, MonitorInputArrivesAtOnceAndOnEveryChange)
{
    std::vector<bool> received;
    Events::AnyCancellable subscription
        = settings.monitorInputPublisher().sink([&](bool monitor) { received.push_back(monitor); });
    EXPECT_EQ(received, std::vector<bool> { false });
    Defaults::set(SettingsKeys::monitorInput(), true);
    Defaults::set(SettingsKeys::monitorInput(), false);
    EXPECT_EQ(received, (std::vector<bool> { false, true, false }));
    subscription.cancel();
    Defaults::set(SettingsKeys::monitorInput(), true);
    EXPECT_EQ(received.size(), 3u);
}

} // namespace
