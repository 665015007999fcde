#include "app/InputDeviceMenu.h"
#include "app/MenuTexts.h"
#include "app/PreviousRecordingMenu.h"
#include "app/SettingsKeys.h"
#include "app/StandardDefaultsTest.h"
#include "app/TextTruncation.h"
#include "app/menu/MenuInspection.h"
#include "platform/audio/doubles/FakeAudioHardware.h"
#include "preferences/Defaults.h"
#include "recording/AudioPlatform.h"

#include <QCoreApplication>
#include <QMenu>

#include <cmath>
#include <limits>

namespace {

const QString ellipsis = QStringLiteral("\u2026");

struct TruncationCase
{
    QString text;
    int length;
    TruncationPosition position;
    QString indicator;
    QString expected;
};

TEST(TruncationTest, CutsWholeCharactersWhereAsked)
{
    using enum TruncationPosition;
    const QString thirty = QStringLiteral("abcdefghijklmnopqrstuvwxyz1234");
    const TruncationCase cases[] = {
        { thirty, 30, end, ellipsis, thirty },
        { thirty + QStringLiteral("5"), 30, end, ellipsis, thirty.left(29) + ellipsis },
        { QStringLiteral("abcd, efgh"), 6, end, ellipsis, QStringLiteral("abcd") + ellipsis },
        { QStringLiteral("ab   cdefgh"), 6, end, ellipsis, QStringLiteral("ab") + ellipsis },
        // Punctuation is only looked for before the blanks go.
        { QStringLiteral("abc, defgh"), 6, end, ellipsis, QStringLiteral("abc,") + ellipsis },
        { QStringLiteral("Hello, world"), 6, end, QString(), QStringLiteral("Hello") },
        { QStringLiteral("anything"), 0, end, ellipsis, QString() },
        { QStringLiteral("abcdefgh"), 2, end, QStringLiteral("..."), QStringLiteral("..") },
        { QStringLiteral("cafe\u0301 au lait"), 5, end, ellipsis, QStringLiteral("cafe\u0301") + ellipsis },
        { QStringLiteral("\U0001F44D\U0001F3FD\U0001F44D\U0001F3FD\U0001F44D\U0001F3FD"), 2, end, ellipsis,
            QStringLiteral("\U0001F44D\U0001F3FD") + ellipsis },
        { QStringLiteral("abcdefghij"), 5, start, ellipsis, ellipsis + QStringLiteral("ghij") },
        { QStringLiteral("abc   defg"), 6, start, ellipsis, ellipsis + QStringLiteral("defg") },
        { QStringLiteral("   abcd"), 5, start, ellipsis, QStringLiteral(" abcd") },
        { QStringLiteral("abcdefghij"), 6, middle, ellipsis,
            QStringLiteral("abc") + ellipsis + QStringLiteral("ij") },
        { QStringLiteral("    abc"), 5, middle, ellipsis, QStringLiteral("  abc") },
    };
    for (const TruncationCase &c : cases) {
        EXPECT_EQ(truncated(c.text, c.length, c.position, c.indicator), c.expected)
            << c.text.toStdString() << " to " << c.length;
    }
}

TEST(MenuTextTest, ChannelsAndDurationsReadAsTheMenuShowsThem)
{
    const std::pair<int, QString> channels[] = { { 0, QStringLiteral("0-channel") },
        { 1, QStringLiteral("Mono") }, { 2, QStringLiteral("Stereo") }, { 6, QStringLiteral("6-channel") } };
    for (const auto &[count, text] : channels) {
        EXPECT_EQ(InputDeviceMenu::channelDescription(count), text) << count;
    }
    const std::pair<double, QString> durations[] = { { 0, QStringLiteral("0 sec") },
        { 0.4, QStringLiteral("0 sec") }, { 2.5, QStringLiteral("2 sec") }, { 3.5, QStringLiteral("4 sec") },
        { 60, QStringLiteral("1 min") }, { 3605, QStringLiteral("1 hr, 5 sec") },
        { 3661.2, QStringLiteral("1 hr, 1 min, 1 sec") }, { 59.6, QStringLiteral("1 min") },
        { std::nan(""), QStringLiteral("0 sec") }, { -3, QStringLiteral("0 sec") } };
    for (const auto &[seconds, text] : durations) {
        EXPECT_EQ(PreviousRecordingMenu::durationText(seconds), text) << seconds;
    }
}

// The device section over a sound server with a built-in stereo microphone, a mono headset and a
// speaker, the headset being the default input.
class InputDeviceMenuTest : public StandardDefaultsTest
{
protected:
    void SetUp() override
    {
        StandardDefaultsTest::SetUp();
        HardwareDevice builtIn = FakeAudioHardware::input(1, QStringLiteral("mic"), 2);
        builtIn.name = QStringLiteral("Built-in Microphone With A Very Long Name");
        HardwareDevice headset = FakeAudioHardware::input(2, QStringLiteral("headset"), 1);
        headset.name = QStringLiteral("Headset");
        m_hardware.deviceList = { builtIn, headset, FakeAudioHardware::output(3, QStringLiteral("speaker")) };
        m_hardware.defaultInput = 2;
        AudioPlatform::setHardware(&m_hardware);
    }
    void TearDown() override
    {
        AudioPlatform::setHardware(nullptr);
        StandardDefaultsTest::TearDown();
    }

    QStringList deviceRows()
    {
        m_menu.clear();
        InputDeviceMenu::addDeviceItems(&m_menu, m_hardware.captureDevices());
        InputDeviceMenu::addForceMonoItems(&m_menu);
        return menuRows(m_menu);
    }

    FakeAudioHardware m_hardware;
    QMenu m_menu;
    ShownErrors m_errors;
};

TEST_F(InputDeviceMenuTest, ListsDevicesWithTheDefaultCheckedAndItsForcedMono)
{
    const QString builtIn = QStringLiteral("Built-in Microphone With A Ve") + ellipsis;
    EXPECT_EQ(deviceRows(), (QStringList { builtIn, QStringLiteral("Headset \u2713") }));
    EXPECT_EQ(m_menu.actions().at(0)->toolTip(), MenuTexts::stereo);
    EXPECT_EQ(m_menu.actions().at(1)->toolTip(), MenuTexts::mono);

    m_hardware.defaultInput = 1;
    Defaults::set(SettingsKeys::forceMono(), { "mic", "other" });
    EXPECT_EQ(deviceRows(),
        (QStringList { builtIn + QStringLiteral(" \u2713"), QStringLiteral("Headset"), QStringLiteral("-"),
            QStringLiteral("(%1)").arg(builtIn), MenuTexts::forceMono + QStringLiteral(" \u2713") }));
    findItem(m_menu, MenuTexts::forceMono)->trigger();
    EXPECT_EQ(Defaults::get(SettingsKeys::forceMono()), (std::set<std::string> { "other" }));
    EXPECT_EQ(deviceRows().last(), MenuTexts::forceMono);

    // A device that cannot be read has neither check mark nor tooltip, and as the default input
    // no forced-mono section.
    m_hardware.deviceErrors.emplace(1, FakeAudioHardware::noSuchDevice());
    EXPECT_EQ(deviceRows(), (QStringList { builtIn, QStringLiteral("Headset") }));
    EXPECT_NE(m_menu.actions().at(0)->toolTip(), MenuTexts::stereo);

    m_hardware.deviceList.clear();
    EXPECT_EQ(deviceRows(), (QStringList { QStringLiteral("(None)") }));
}

TEST_F(InputDeviceMenuTest, ChoosingADeviceChangesTheSystemDefaultOrSaysWhyNot)
{
    struct Case
    {
        QString uniqueID;
        std::optional<AudioError> refusal;
        std::vector<quint32> setCalls;
        int shownErrors;
    };
    const Case cases[] = {
        { QStringLiteral("mic"), std::nullopt, { 1 }, 0 },
        { QStringLiteral("unplugged"), std::nullopt, {}, 0 },
        { QStringLiteral("speaker"), std::nullopt, {}, 1 },
        { QStringLiteral("mic"), FakeAudioHardware::noSuchDevice(), { 1 }, 1 },
    };
    for (const Case &c : cases) {
        m_hardware.setDefaultCalls.clear();
        m_hardware.setDefaultError = c.refusal;
        m_errors.reported.clear();
        m_errors.shown.clear();
        InputDeviceMenu::chooseDevice(c.uniqueID);
        QCoreApplication::processEvents();
        EXPECT_EQ(m_hardware.setDefaultCalls, c.setCalls) << c.uniqueID.toStdString();
        EXPECT_EQ(m_errors.shown.size(), c.shownErrors) << c.uniqueID.toStdString();
        EXPECT_EQ(m_errors.reported, m_errors.shown);
    }
}

} // namespace
