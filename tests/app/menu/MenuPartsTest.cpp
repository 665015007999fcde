#include "app/InputDeviceMenu.h"
#include "app/MenuTexts.h"
#include "app/PreviousRecordingMenu.h"
#include "app/TextTruncation.h"

#include <gtest/gtest.h>

#include <cmath>

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

} // namespace
