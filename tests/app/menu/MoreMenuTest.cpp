#include "app/MoreMenu.h"
#include "MenuInspection.h"
#include "app/MenuTexts.h"
#include "app/ProductPages.h"
#include "kit/services/KwApp.h"
#include "kit/services/KwKit.h"
#include "kit/services/KwMenu.h"
#include "kit/services/ServiceTexts.h"
#include "platform/desktop/DesktopLauncher.h"

#include "EventLoop.h"
#include "FakeWebBrowser.h"
#include "FileContents.h"
#include "ScopedEnv.h"
#include "UrlOpenCatcher.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrlQuery>

#include <memory>

namespace {

const QUrl helpPage = QUrl::fromLocalFile(QStringLiteral("/opt/tapewick/share/tapewick/help.html"));

QUrl section(const QUrl &page, const QString &name)
{
    QUrl url = page;
    url.setFragment(name);
    return url;
}

// The address without the query, which for the feedback page carries the system facts.
QUrl withoutQuery(QUrl url)
{
    url.setQuery(QString());
    return url;
}

struct PageCase
{
    QString title;
    QUrl page;
};

// Each help item of "More" opens its page: the help page's sections, the help page itself, and
// the feedback and maker's pages, which are the help page's sections unless the build names
// other addresses. Local pages with a section go to the web browser, everything else to the
// desktop's opener of its scheme.
TEST(MoreMenuTest, EachHelpItemOpensItsPage)
{
    const TestSupport::FakeWebBrowser browser;
    // The desktop hears of it a moment later once it has read its applications before.
    ASSERT_TRUE(
        TestSupport::processEventsUntil([] { return DesktopLauncher::defaultWebBrowser().has_value(); }));
    UrlOpenCatcher files;
    UrlOpenCatcher web(QStringLiteral("https"));
    const KwKit::Metadata before = KwKit::metadata();
    const QUrl feedback(QStringLiteral("https://example.org/tapewick/feedback"));
    const QUrl maker(QStringLiteral("https://example.org/apps"));
    const struct
    {
        const char *build;
        QString feedbackSetting;
        QString makerSetting;
        QUrl feedbackPage;
        QUrl makerPage;
        bool reachesMaker;
    } builds[] = {
        { "default build", {}, {}, section(helpPage, "feedback"), section(helpPage, "about"), false },
        { "packager's pages", feedback.toString(), maker.toString(), feedback, maker, true },
        // The maker's page lists other programs; nobody reads what is written there.
        { "only a maker's page", {}, maker.toString(), section(helpPage, "feedback"), maker, false },
    };
    for (const auto &build : builds) {
        SCOPED_TRACE(build.build);
        KwKit::setMetadata(ProductPages::metadata(helpPage, build.feedbackSetting, build.makerSetting));
        EXPECT_EQ(KwKit::metadata().feedbackReachesMaker, build.reachesMaker);
        const PageCase cases[] = {
            { MenuTexts::recordSystemAudio, section(helpPage, "record-system-audio") },
            { MenuTexts::transcribeAudio, section(helpPage, "transcribe") },
            { MenuTexts::sendFeedback, build.feedbackPage },
            { MenuTexts::faq, section(helpPage, "faq") },
            { ServiceTexts::websiteItem(), helpPage },
            { ServiceTexts::moreAppsItem(), build.makerPage },
        };
        const std::unique_ptr<KwMenu> menu(MoreMenu::make());
        QList<QUrl> opened;
        for (const PageCase &c : cases) {
            QAction *item = findItem(*menu, c.title);
            ASSERT_NE(item, nullptr) << c.title.toStdString();
            const qsizetype browsed = browser.opened().size();
            const qsizetype filed = files.opened.size();
            const qsizetype webbed = web.opened.size();
            const auto fresh = [&] {
                return browser.opened().mid(browsed) + files.opened.mid(filed) + web.opened.mid(webbed);
            };
            item->trigger();
            TestSupport::processEventsUntil([&] { return !fresh().isEmpty(); });
            // Exactly one page opens per item; a local page's section only a browser can show.
            const QList<QUrl> now = fresh();
            ASSERT_EQ(now.size(), 1) << c.title.toStdString();
            EXPECT_EQ(browser.opened().size() - browsed, c.page.isLocalFile() && c.page.hasFragment())
                << c.title.toStdString();
            EXPECT_EQ(withoutQuery(now.front()), c.page) << c.title.toStdString();
            opened << now.front();
        }
        // The feedback page is told the product, the system facts and the extra entries.
        const QUrlQuery query(opened.at(2));
        EXPECT_EQ(query.queryItemValue(QStringLiteral("product")), KwApp::name());
        EXPECT_TRUE(query.hasQueryItem(QStringLiteral("metadata")));
        EXPECT_TRUE(query.hasQueryItem(QStringLiteral("extraInfo")));
        files.opened.clear();
        web.opened.clear();
    }
    KwKit::setMetadata(before);
}

} // namespace

namespace {

// The page as `cmake --install` places it, and as the build leaves it beside the program: each
// found from the program's folder, each with every section the menu and the build point to.
TEST(HelpPageTest, IsInstalledWithEverySectionAndFoundFromTheProgramsFolder)
{
    QTemporaryDir prefix;
    ASSERT_TRUE(prefix.isValid());
    // No other copy in the desktop's data folders.
    const TestSupport::ScopedEnv dataFolders("XDG_DATA_DIRS", prefix.filePath(QStringLiteral("none")));
    QProcess install;
    install.start(QStringLiteral(CMAKE_COMMAND_PATH),
        { QStringLiteral("--install"), QStringLiteral(TAPEWICK_BUILD_DIR), QStringLiteral("--prefix"),
            prefix.path(), QStringLiteral("--component"), QStringLiteral("help") });
    ASSERT_TRUE(install.waitForFinished(60000));
    ASSERT_EQ(install.exitCode(), 0) << install.readAllStandardError().toStdString();

    const QDir root(prefix.path());
    const QString installed = root.filePath(QStringLiteral(TAPEWICK_INSTALL_DATADIR "/tapewick/help.html"));
    const QString beside = QDir(QStringLiteral(TAPEWICK_PROGRAM_DIR)).filePath(QStringLiteral("help.html"));
    const struct
    {
        const char *program;
        QString directory;
        std::optional<QString> page;
    } cases[] = {
        { "installed", root.filePath(QStringLiteral(TAPEWICK_INSTALL_BINDIR)), installed },
        { "in the build", QStringLiteral(TAPEWICK_PROGRAM_DIR), beside },
        { "alone", root.filePath(QStringLiteral("elsewhere/bin")), std::nullopt },
    };
    for (const auto &c : cases) {
        const std::optional<QString> found = ProductPages::helpPagePath(c.directory);
        ASSERT_EQ(found.has_value(), c.page.has_value()) << c.program;
        if (found) {
            EXPECT_EQ(QFileInfo(*found).canonicalFilePath(), QFileInfo(*c.page).canonicalFilePath())
                << c.program;
        }
    }
    for (const QString &page : { installed, beside }) {
        const QByteArray html = TestSupport::readFile(page);
        for (const char *anchor : { "record-system-audio", "transcribe", "faq", "feedback", "about" }) {
            EXPECT_TRUE(html.contains(QByteArray("id=\"") + anchor + '"'))
                << page.toStdString() << " #" << anchor;
        }
    }
}

} // namespace
