#include "ApplicationsFixture.h"
#include "FileContents.h"

#include "platform/desktop/DesktopLauncher.h"

#include "EventLoop.h"
#include "UrlOpenCatcher.h"

namespace {

using DesktopLauncherTest = ApplicationsFixture;

// The application's program records its arguments, one a line, so the test sees what it got.
TEST_F(DesktopLauncherTest, StartsTheEntrysProgramWithTheFilesAsPathsAndRefusesAnyOtherEntry)
{
    const QString output = dataDirectory(QStringLiteral("arguments.txt"));
    const QString script = dataDirectory(QStringLiteral("record-arguments"));
    TestSupport::writeFile(script,
        "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"" + QFile::encodeName(output) + ".part\"\nmv \""
            + QFile::encodeName(output) + ".part\" \"" + QFile::encodeName(output) + "\"\n");
    QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString entry = writeEntry(QStringLiteral("home"), QStringLiteral("org.example.Rec.desktop"),
        "[Desktop Entry]\nType=Application\nName=Rec\nExec=" + QFile::encodeName(script) + " %F\n");

    const QString first = dataDirectory(QStringLiteral("a recording.m4a"));
    const QString second = dataDirectory(QStringLiteral("b.wav"));
    const auto failure = DesktopLauncher::openUrlsWithApplication(
        { QUrl::fromLocalFile(first), QUrl::fromLocalFile(second) }, entry);
    ASSERT_EQ(failure, std::nullopt);

    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return QFile::exists(output); }));
    EXPECT_EQ(QString::fromUtf8(TestSupport::readFile(output)), first + u'\n' + second + u'\n');

    // An entry that is not an application fails with a text.
    const QString link = writeEntry(QStringLiteral("home"), QStringLiteral("org.example.Bad.desktop"),
        "[Desktop Entry]\nType=Link\nName=Bad\n");
    const auto refused = DesktopLauncher::openUrlsWithApplication({}, link);
    ASSERT_TRUE(refused.has_value());
    EXPECT_TRUE(refused->contains(link));

    const auto missingProgram = DesktopLauncher::openUrlsWithApplication({},
        writeEntry(QStringLiteral("home"), QStringLiteral("org.example.Gone.desktop"),
            "[Desktop Entry]\nType=Application\nName=Gone\nExec=/nonexistent/program %F\n"));
    // GLib refuses an entry whose program is missing before it tries to start it.
    EXPECT_TRUE(missingProgram.has_value());
}

TEST(DesktopOpenUrlTest, AUrlGoesToTheHandlerOfItsScheme)
{
    UrlOpenCatcher catcher(QStringLiteral("tapewick-test"));
    const QUrl url(QStringLiteral("tapewick-test:recording?id=7"));
    EXPECT_TRUE(DesktopLauncher::openUrl(url));
    EXPECT_EQ(catcher.opened, QList<QUrl> { url });
}

} // namespace
