#include "ScopedEnv.h"
#include "TemporaryConfigHome.h"
#include "UrlOpenCatcher.h"

#include "kit/services/KwApp.h"
#include "kit/services/UserDefaultsChanges.h"

#include "kit/foundation/files/FileLocations.h"
#include "kit/foundation/files/UniqueTemporaryDirectories.h"
#include "kit/foundation/system/FoundationHooks.h"
#include "platform/userdefaults/UserDefaults.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

TEST(UserDefaultsDidChange, SendsOnceForEachChangeUntilCancelled)
{
    TemporaryConfigHome home;
    auto database = UserDefaults::suite("changes-test");
    int changes = 0;
    Events::AnyCancellable subscription
        = userDefaultsDidChangePublisher(database).sink([&](const Events::Void &) { ++changes; });
    database->setObject("a", PropertyValue(1));
    database->setObject("b", PropertyValue(QByteArray("x")));
    database->removeObject("a");
    database->removeObject("never-set");
    EXPECT_EQ(changes, 3);
    subscription.cancel();
    database->setObject("a", PropertyValue(2));
    EXPECT_EQ(changes, 3);
}

TEST(ScratchDirectory, QuitRemovesOnlyThisProcesssOwnDirectory)
{
    QTemporaryDir base;
    const QUrl recordings = UniqueTemporaryDirectories::create(base.path());
    const QString scratch = KwApp::scratchDirectory();
    ASSERT_FALSE(scratch.isEmpty());
    EXPECT_EQ(KwApp::scratchDirectory(), scratch);
    EXPECT_EQ(QFileInfo(scratch).absolutePath(), systemTemporaryPath());
    ASSERT_TRUE(QFile(scratch + "/part").open(QIODevice::WriteOnly));

    KwApp::removeScratchDirectory();
    EXPECT_FALSE(QFileInfo::exists(scratch));
    EXPECT_TRUE(QFileInfo::exists(QDir::tempPath()));
    EXPECT_TRUE(QFileInfo::exists(recordings.toLocalFile()));
    // A later use makes a new one.
    const QString again = KwApp::scratchDirectory();
    EXPECT_TRUE(QFileInfo(again).isDir());
    KwApp::removeScratchDirectory();
}

// The folder the environment names for temporary items, else /tmp; one that does not exist gives
// no directory and a report naming it, never a directory somewhere else.
TEST(ScratchDirectory, LiesInTheTemporaryFolderOrIsReportedMissing)
{
    QTemporaryDir named;
    const QString missing = named.filePath("missing");
    const struct
    {
        QString tmpdir;
        QString parent; // empty: none is made
    } cases[] = {
        { named.path(), named.path() },
        { "relative", "/tmp" },
        { missing, {} },
    };
    std::vector<QString> reports;
    FoundationHooks::setReportError([&](const Error &error, const QVariantMap &, const QString &, int) {
        reports.push_back(error.localizedDescription());
    });
    for (const auto &[tmpdir, parent] : cases) {
        SCOPED_TRACE(tmpdir.toStdString());
        reports.clear();
        const TestSupport::ScopedEnv environment("TMPDIR", tmpdir);
        const QString scratch = KwApp::scratchDirectory();
        KwApp::removeScratchDirectory();
        if (parent.isEmpty()) {
            EXPECT_EQ(scratch, QString());
            ASSERT_EQ(reports.size(), 1u);
            EXPECT_TRUE(reports.front().contains(missing)) << reports.front().toStdString();
        } else {
            EXPECT_EQ(QFileInfo(scratch).path(), parent);
            EXPECT_TRUE(reports.empty());
        }
    }
    FoundationHooks::setReportError({});
    EXPECT_FALSE(QFileInfo::exists(missing));
}

namespace {

QStringList g_warnings;

void collectWarning(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtWarningMsg) {
        g_warnings << message;
    }
}

} // namespace

// Opening a page shows nothing when it fails; the address it could not open is in the log.
TEST(KwAppOpenURL, APageThatCannotBeOpenedIsLoggedWithItsAddress)
{
    UrlOpenCatcher pages(QStringLiteral("tapewick-test"));
    const struct
    {
        QUrl url;
        bool opens;
    } cases[] = {
        { QUrl(QStringLiteral("#faq")), false },
        { QUrl(), false },
        { QUrl(QStringLiteral("tapewick-test:help#faq")), true },
    };
    for (const auto &c : cases) {
        g_warnings.clear();
        const QtMessageHandler previous = qInstallMessageHandler(collectWarning);
        KwApp::openURL(c.url);
        qInstallMessageHandler(previous);
        const QString address = c.url.toString();
        EXPECT_EQ(g_warnings.size(), c.opens ? 0 : 1) << address.toStdString();
        if (!c.opens && !g_warnings.isEmpty()) {
            EXPECT_TRUE(g_warnings.front().endsWith(QStringLiteral("Could not open ") + address))
                << g_warnings.front().toStdString();
        }
    }
    EXPECT_EQ(pages.opened, QList<QUrl> { cases[2].url });
}
