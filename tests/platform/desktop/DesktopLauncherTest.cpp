#include "FileContents.h"

#include "platform/desktop/DesktopLauncher.h"
#include "platform/desktop/ShareServices.h"

#include "EventLoop.h"
#include "FakeUrlHandler.h"
#include "FakeWebBrowser.h"
#include "ScopedEnv.h"
#include "UrlOpenCatcher.h"

#include <QTemporaryDir>
#include <QUrlQuery>

#include <gmock/gmock.h>

namespace {

using namespace Qt::StringLiterals;

// A program that writes its arguments, one a line, into `output`, which appears once whole; it
// needs nothing from the PATH.
void writeArgumentsRecorder(const QString &script, const QString &output)
{
    const QByteArray file = QFile::encodeName(output);
    TestSupport::writeFile(script,
        "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"" + file + ".part\"\ncommand -p mv \"" + file + ".part\" \""
            + file + "\"\n");
    QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// Entries and files in a folder of the test's own, named by path. The XDG folders stay the
// process's: GLib reads them once, at its first launch, and keeps them for every later test.
class DesktopLauncherTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_root.isValid()); }

    QString dataDirectory(const QString &name) const { return m_root.filePath(name); }

    QString writeEntry(const QString &name, const QByteArray &contents) const
    {
        return TestSupport::writeFile(m_root.filePath(u"applications/"_s + name), contents);
    }

private:
    QTemporaryDir m_root;
};

// The application's program records its arguments, one a line, so the test sees what it got.
TEST_F(DesktopLauncherTest, StartsTheEntrysProgramWithTheFilesAsPathsAndRefusesAnyOtherEntry)
{
    const QString output = dataDirectory(QStringLiteral("arguments.txt"));
    const QString script = dataDirectory(QStringLiteral("record-arguments"));
    writeArgumentsRecorder(script, output);
    const QString entry = writeEntry(QStringLiteral("org.example.Rec.desktop"),
        "[Desktop Entry]\nType=Application\nName=Rec\nExec=" + QFile::encodeName(script) + " %F\n");

    const QString first = dataDirectory(QStringLiteral("a recording.m4a"));
    const QString second = dataDirectory(QStringLiteral("b.wav"));
    const auto failure = DesktopLauncher::openUrlsWithApplication(
        { QUrl::fromLocalFile(first), QUrl::fromLocalFile(second) }, entry);
    ASSERT_EQ(failure, std::nullopt);

    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return QFile::exists(output); }));
    EXPECT_EQ(QString::fromUtf8(TestSupport::readFile(output)), first + u'\n' + second + u'\n');

    // An entry that is not an application fails with a text.
    const QString link
        = writeEntry(QStringLiteral("org.example.Bad.desktop"), "[Desktop Entry]\nType=Link\nName=Bad\n");
    const auto refused = DesktopLauncher::openUrlsWithApplication({}, link);
    ASSERT_TRUE(refused.has_value());
    EXPECT_TRUE(refused->contains(link));

    const auto missingProgram = DesktopLauncher::openUrlsWithApplication({},
        writeEntry(QStringLiteral("org.example.Gone.desktop"),
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

// The desktop's file openers take a local page as a path, which has no section and no query.
const QUrl sectionPage(QStringLiteral("file:///usr/share/tapewick/help.html#faq"));
const QUrl queryPage(
    QStringLiteral("file:///usr/share/tapewick/help.html?product=Tapewick&metadata=a%20b#feedback"));
const QUrl plainPage(QStringLiteral("file:///usr/share/tapewick/help.html"));

// The desktop reads its applications once and again when it hears they changed, which comes a
// moment after a browser is installed or removed.
bool desktopHasAWebBrowser(bool wanted)
{
    return TestSupport::processEventsUntil(
        [&] { return DesktopLauncher::defaultWebBrowser().has_value() == wanted; });
}

TEST(DesktopOpenUrlTest, ALocalPageWithASectionOrQueryGoesWholeToTheWebBrowser)
{
    UrlOpenCatcher files;
    const TestSupport::FakeWebBrowser browser;
    ASSERT_TRUE(desktopHasAWebBrowser(true));
    for (const QUrl &url : { sectionPage, queryPage, plainPage }) {
        EXPECT_TRUE(DesktopLauncher::openUrl(url)) << url.toString().toStdString();
    }
    // Each address starts a browser of its own, and they need not finish in the order started.
    EXPECT_THAT(browser.opened(2), ::testing::UnorderedElementsAre(sectionPage, queryPage));
    EXPECT_EQ(files.opened, QList<QUrl> { plainPage });
}

TEST(DesktopOpenUrlTest, WithoutAWebBrowserALocalPageOpensAsAFile)
{
    UrlOpenCatcher files;
    ASSERT_TRUE(desktopHasAWebBrowser(false));
    EXPECT_TRUE(DesktopLauncher::openUrl(sectionPage));
    EXPECT_EQ(files.opened, QList<QUrl> { sectionPage });
}

TEST(DesktopOpenUrlTest, AnAddressWithoutASchemeOpensNothing)
{
    UrlOpenCatcher files;
    UrlOpenCatcher pages(QStringLiteral("https"));
    for (const QUrl &url : { QUrl(QStringLiteral("#faq")), QUrl(), QUrl(QStringLiteral("help.html")) }) {
        EXPECT_FALSE(DesktopLauncher::openUrl(url)) << url.toString().toStdString();
    }
    EXPECT_TRUE(files.opened.isEmpty());
    EXPECT_TRUE(pages.opened.isEmpty());
}

// Mail is offered where the desktop has a mail program, whatever xdg-email's presence says; the
// files go to it through xdg-email where there is one, which knows how each program takes them,
// else in the mailto: address itself.
TEST(ShareServicesTest, MailGoesToTheDesktopsMailProgram)
{
    QTemporaryDir bin;
    QTemporaryDir empty;
    ASSERT_TRUE(bin.isValid() && empty.isValid());
    const QString composerLog = bin.filePath(QStringLiteral("composer.log"));
    writeArgumentsRecorder(bin.filePath(QStringLiteral("xdg-email")), composerLog);
    const QString recording = bin.filePath(QStringLiteral("A & B_1.m4a"));
    const QUrl attached
        = QUrl::fromEncoded("mailto:?attach=" + QUrl::toPercentEncoding(recording, "/"), QUrl::StrictMode);
    ASSERT_TRUE(attached.isValid());
    ASSERT_TRUE(
        QUrlQuery(attached).queryItemValue(QStringLiteral("attach"), QUrl::FullyDecoded) == recording);

    const struct
    {
        const char *what;
        bool composer;
        bool mailProgram;
    } cases[] = {
        { "xdg-email without a mail program", true, false },
        { "a mail program without xdg-email", false, true },
        { "a mail program and xdg-email", true, true },
    };
    for (const auto &test : cases) {
        SCOPED_TRACE(test.what);
        QFile::remove(composerLog);
        const TestSupport::ScopedEnv path("PATH", test.composer ? bin.path() : empty.path());
        std::optional<TestSupport::FakeUrlHandler> mail;
        if (test.mailProgram) {
            mail.emplace(QStringLiteral("FakeMail"), QStringList { QStringLiteral("mailto") });
        }
        ASSERT_TRUE(TestSupport::processEventsUntil(
            [&] { return DesktopLauncher::defaultMailProgram().has_value() == test.mailProgram; }));
        QStringList titles;
        for (const ShareService &service : ShareServices::services()) {
            titles << service.title;
        }
        EXPECT_EQ(titles.contains(QStringLiteral("Email")), test.mailProgram)
            << titles.join(u',').toStdString();
        if (!mail) {
            continue;
        }
        ShareServices::emailService().perform({ QUrl::fromLocalFile(recording) });
        if (test.composer) {
            ASSERT_TRUE(TestSupport::processEventsUntil([&] { return QFile::exists(composerLog); }));
            EXPECT_EQ(
                QString::fromUtf8(TestSupport::readFile(composerLog)), "--attach\n" + recording + u'\n');
            EXPECT_TRUE(mail->opened().isEmpty());
        } else {
            EXPECT_EQ(mail->opened(1), QList<QUrl> { attached });
        }
    }
}

} // namespace
