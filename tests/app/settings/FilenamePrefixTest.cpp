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

} // namespace
