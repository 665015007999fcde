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

// Read on every use, not kept from when it was made.
TEST_F(AppRecordingSettingsTest, ReadsTheKeysAfresh)
{
    Defaults::set(SettingsKeys::lossless(), true);
    Defaults::set(SettingsKeys::showInFinderAfterSaving(), false);
    Defaults::set(SettingsKeys::filenamePrefix(), std::optional<std::string>("Zoom call"));
    Defaults::set(SettingsKeys::forceMono(), std::set<std::string> { "usb-headset" });
    EXPECT_TRUE(settings.lossless());
    EXPECT_FALSE(settings.showInFinderAfterSaving());
    EXPECT_EQ(settings.filenamePrefix(), QStringLiteral("Zoom call"));
    EXPECT_EQ(settings.filenameTemplate(), std::nullopt);
    EXPECT_TRUE(settings.forcesMono(QStringLiteral("usb-headset")));
    EXPECT_FALSE(settings.forcesMono(QStringLiteral("usb")));
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
