#include "app/SettingsKeys.h"

#include "StandardDefaultsTest.h"

#include <gtest/gtest.h>

namespace {

using SettingsKeysTest = StandardDefaultsTest;

TEST_F(SettingsKeysTest, StoredForms)
{
    using namespace SettingsKeys;
    Defaults::set(forceMono(), std::set<std::string> { "usb-mic", "built-in" });
    const std::optional<PropertyValue> mono = standard().object("forceMono");
    ASSERT_TRUE(mono);
    EXPECT_EQ(*mono,
        PropertyValue(
            PropertyArray { PropertyValue(std::string("built-in")), PropertyValue(std::string("usb-mic")) }));

    const SandboxURLBookmark bookmark(QByteArray("\x01\x02bookmark", 10));
    Defaults::set(previousRecording(), std::optional(bookmark));
    EXPECT_EQ(standard().object("previousRecording"), PropertyValue(bookmark.bookmarkData()));
    EXPECT_EQ(Defaults::get(previousRecording()), bookmark);
    Defaults::set(previousRecording(), std::optional<SandboxURLBookmark>());
    EXPECT_EQ(standard().object("previousRecording"), std::nullopt);

    Defaults::set(filenamePrefix(), std::optional<std::string>("Interview"));
    EXPECT_EQ(standard().object("filenamePrefix"), PropertyValue(std::string("Interview")));
}

TEST_F(SettingsKeysTest, UnknownIconTextReadsAsMicrophone)
{
    standard().setObject("menuBarIcon", PropertyValue(std::string("Waveform")));
    EXPECT_EQ(Defaults::get(SettingsKeys::menuBarIcon()), MenuBarIcon::microphone);
    standard().setObject("menuBarIcon", PropertyValue(std::string("waveform2")));
    EXPECT_EQ(Defaults::get(SettingsKeys::menuBarIcon()), MenuBarIcon::waveform2);
}

} // namespace
