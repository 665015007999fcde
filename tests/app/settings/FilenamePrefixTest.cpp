#include "app/settings/FilenamePrefix.h"
#include "app/SettingsKeys.h"
#include "app/settings/FilenamePrefixSetting.h"

#include "EventLoop.h"
#include "StandardDefaultsTest.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(FilenamePrefixTest, SanitisingRule)
{
    const QString family = QStringLiteral("👨‍👩‍👧");
    const struct
    {
        QString typed;
        QString expected;
    } cases[] = {
        { QStringLiteral(". . my:take"), QStringLiteral("mytake") },
        { QStringLiteral("Talk: one"), QStringLiteral("Talk one") },
        { QStringLiteral("two\twords"), QStringLiteral("two words") },
        // Runs are not merged; other Unicode white space counts too.
        { QStringLiteral("a\n\nb\u2003c"), QStringLiteral("a  b c") },
        { QStringLiteral("..  . "), QString() },
        { QStringLiteral(" :.x"), QStringLiteral("x") },
        { QString(100, u'x'), QString(80, u'x') },
        // A character made of several code points is kept whole or dropped whole.
        { family.repeated(81), family.repeated(80) },
        // A cut never leaves a final punctuation mark or blanks behind.
        { QString(79, u'x') + QStringLiteral("-yz"), QString(79, u'x') },
        { QString(78, u'x') + QStringLiteral(" (take)"), QString(78, u'x') },
        { QString(77, u'x') + QStringLiteral("  !b"), QString(77, u'x') },
        // Only one mark goes, and only at the cut.
        { QString(78, u'x') + QStringLiteral("?!z"), QString(78, u'x') + u'?' },
        { QString(79, u'x') + u'!', QString(79, u'x') + u'!' },
    };
    for (const auto &[typed, expected] : cases) {
        EXPECT_EQ(FilenamePrefix::sanitized(typed), expected) << typed.toStdString();
    }
}

using FilenamePrefixSettingTest = StandardDefaultsTest;

TEST_F(FilenamePrefixSettingTest, TypingStoresTheCleanedPrefixItFollowsChangesElsewhereAndEscapeRemovesIt)
{
    const struct
    {
        QString typed;
        std::optional<std::string> stored;
    } cases[] = {
        { QStringLiteral("Talk: one"), "Talk one" },
        { QStringLiteral(". . "), std::nullopt },
    };
    for (const auto &[typed, stored] : cases) {
        Defaults::set(SettingsKeys::filenamePrefix(), std::optional<std::string>("old"));
        FilenamePrefixSetting setting;
        setting.field()->selectAll();
        QTest::keyClicks(setting.field(), typed);
        EXPECT_EQ(Defaults::get(SettingsKeys::filenamePrefix()), stored) << typed.toStdString();
        EXPECT_EQ(setting.field()->text().toStdString(), stored.value_or(""));
        EXPECT_EQ(setting.field()->placeholderText(), QStringLiteral("Audio Recording"));
        const QString shownPrefix
            = stored ? QString::fromStdString(*stored) : QStringLiteral("Audio Recording");
        EXPECT_TRUE(setting.preview()->text().startsWith(shownPrefix + u' '))
            << setting.preview()->text().toStdString();
    }

    FilenamePrefixSetting setting;
    Defaults::set(SettingsKeys::filenamePrefix(), std::optional<std::string>("Lecture/2"));
    EXPECT_TRUE(TestSupport::processEventsUntil(
        [&] { return setting.field()->text() == QStringLiteral("Lecture/2"); }));
    // The preview is the name the file would really get.
    EXPECT_TRUE(setting.preview()->text().startsWith(QStringLiteral("Lecture-2 ")));

    QTest::keyClick(setting.field(), Qt::Key_Escape);
    EXPECT_EQ(standard().object("filenamePrefix"), std::nullopt);
    EXPECT_TRUE(setting.field()->text().isEmpty());
    EXPECT_TRUE(setting.preview()->text().startsWith(QStringLiteral("Audio Recording ")));
}

// At its most characters the field takes no more, and says so under it from that moment; a note
// that goes again when the prefix is shorter.
TEST_F(FilenamePrefixSettingTest, TheLimitIsSaidTheMomentItApplies)
{
    const int most = FilenamePrefix::maximumLength;
    FilenamePrefixSetting setting;
    setting.show();
    const auto noteShown = [&] { return setting.limitNote()->isVisibleTo(&setting); };
    const auto stored
        = [] { return QString::fromStdString(Defaults::get(SettingsKeys::filenamePrefix()).value_or("")); };

    QTest::keyClicks(setting.field(), QString(most - 1, u'x'));
    EXPECT_FALSE(noteShown()) << "below the limit";
    QTest::keyClicks(setting.field(), QStringLiteral("y"));
    EXPECT_EQ(stored(), QString(most - 1, u'x') + u'y');
    EXPECT_TRUE(noteShown()) << "the field takes no more from here";
    QTest::keyClicks(setting.field(), QStringLiteral("z"));
    EXPECT_EQ(stored().size(), most) << "a key past the limit does nothing";
    EXPECT_TRUE(noteShown());
    EXPECT_EQ(setting.limitNote()->text(), QStringLiteral("The prefix can be at most 80 characters."));
    QTest::keyClick(setting.field(), Qt::Key_Backspace);
    EXPECT_FALSE(noteShown()) << "room again";

    // A paste cut at the limit, even where the cut leaves fewer characters (a final mark goes).
    setting.field()->selectAll();
    setting.field()->insert(QString(most - 1, u'x') + QStringLiteral("-and more"));
    EXPECT_EQ(stored(), QString(most - 1, u'x'));
    EXPECT_TRUE(noteShown());

    // A prefix set elsewhere, and Escape.
    Defaults::set(SettingsKeys::filenamePrefix(), std::optional<std::string>("short"));
    EXPECT_TRUE(
        TestSupport::processEventsUntil([&] { return setting.field()->text() == QStringLiteral("short"); }));
    EXPECT_FALSE(noteShown());
    Defaults::set(SettingsKeys::filenamePrefix(), std::optional(std::string(most, 'w')));
    EXPECT_TRUE(TestSupport::processEventsUntil([&] { return noteShown(); }));
    QTest::keyClick(setting.field(), Qt::Key_Escape);
    EXPECT_FALSE(noteShown());
}

// The preview shows the whole name from its start at any width, also when the prefix has no space
// to break a line at: its lines break inside the name.
TEST_F(FilenamePrefixSettingTest, ThePreviewShowsAWholeNameWithoutSpaces)
{
    for (const QString &prefix :
        { QString(80, u'x'), QString(80, QChar(0x9332)), QStringLiteral("Talk one") }) {
        SCOPED_TRACE(prefix.toStdString());
        Defaults::set(SettingsKeys::filenamePrefix(), std::optional(prefix.toStdString()));
        FilenamePrefixSetting setting;
        const QLabel *preview = setting.preview();
        // (A name in three-byte characters gives up the end of its prefix to the file name's limit.)
        EXPECT_TRUE(preview->text().startsWith(prefix.left(70)));
        const int lineHeight = preview->fontMetrics().lineSpacing();
        const int natural = preview->fontMetrics().horizontalAdvance(preview->text());
        for (const int width : { 160, 240, 420 }) {
            // Narrow enough for the label to show it whole, and as many lines tall as that takes.
            EXPECT_LE(preview->minimumSizeHint().width(), width);
            const int lines = preview->heightForWidth(width) / lineHeight;
            EXPECT_GE(lines, natural / width) << width;
            EXPECT_LE(lines, natural / width + 2) << width;
        }
    }
}

} // namespace
