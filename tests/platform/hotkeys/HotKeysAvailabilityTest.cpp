#include "platform/hotkeys/HotKeys.h"

#include <gtest/gtest.h>

#include <variant>

namespace {

TEST(HotKeysAvailabilityTest, SessionsWithoutUsableX11GrabsRefuseEveryHotKeyInWords)
{
    struct Case
    {
        const char *what;
        HotKeyEnvironment environment;
        HotKeys::Availability expected;
    };
    const Case cases[] = {
        { "no display", {}, HotKeys::Availability::NoDisplay },
        { "unreachable display", { QStringLiteral(":4099"), {}, {} }, HotKeys::Availability::NoDisplay },
        { "Wayland with XWayland", { QStringLiteral(":0"), QStringLiteral("wayland-0"), {} },
            HotKeys::Availability::WaylandSession },
        { "Wayland session type", { QStringLiteral(":0"), {}, QStringLiteral("wayland") },
            HotKeys::Availability::WaylandSession },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const auto hotKeys = HotKeys::create(c.environment);
        EXPECT_EQ(hotKeys->availability(), c.expected);
        EXPECT_TRUE(hotKeys->unavailableMessage().contains(QLatin1String("X11")));
        const auto result = hotKeys->registerHotKey({ 0x0F, 0x1100 }, [](HotKeyPhase) {});
        ASSERT_TRUE(std::holds_alternative<HotKeyError>(result));
        EXPECT_EQ(std::get<HotKeyError>(result).kind, HotKeyError::Kind::Unavailable);
    }
    EXPECT_NE(unavailableMessage(HotKeys::Availability::NoDisplay),
        unavailableMessage(HotKeys::Availability::WaylandSession));
    EXPECT_TRUE(unavailableMessage(HotKeys::Availability::Available).isEmpty());
}

} // namespace
