#include "kit/foundation/errors/NSError.h"
#include "kit/foundation/files/BookmarkData.h"
#include "kit/foundation/files/FileLocations.h"
#include "kit/foundation/files/SecurityScopedBookmarkManager.h"
#include "kit/foundation/panels/OpenPanel.h"
#include "kit/foundation/system/FoundationHooks.h"

#include "KitTesting.h"

#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>

#include <atomic>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

using Manager = SecurityScopedBookmarkManager;
using KitTesting::visible;

// Plays the user: every few milliseconds it hands the visible panel and alert to the test's script.
std::unique_ptr<QTimer> playUser(std::function<void(OpenPanel *panel, QMessageBox *alert)> script)
{
    auto timer = std::make_unique<QTimer>();
    QObject::connect(timer.get(), &QTimer::timeout, [script, busy = false]() mutable {
        if (!std::exchange(busy, true)) {
            script(visible<OpenPanel>(), visible<QMessageBox>());
            busy = false;
        }
    });
    timer->start(10);
    return timer;
}

// The panel's file model loads on a thread of its own and drops a selection made before it has
// loaded. A directory panel with nothing selected chooses the directory it shows, so go there and
// accept once the panel reports it.
void choose(OpenPanel *panel, const QString &path)
{
    const QString wanted = QDir(path).canonicalPath();
    const bool shown = TestSupport::processEventsUntil(
        [&] {
            panel->setDirectory(path);
            const QList<QUrl> urls = panel->selectedUrls();
            return urls.size() == 1 && QDir(urls.constFirst().toLocalFile()).canonicalPath() == wanted;
        },
        std::chrono::seconds(5));
    ASSERT_TRUE(shown) << "the panel never showed " << wanted.toStdString();
    panel->accept();
}

class BookmarkManagerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_root.isValid());
        Manager::setStore({});
        FoundationHooks::setAppName(u"Tapewick"_s);
        FoundationHooks::setAppIdentifier(u"org.example.Tapewick"_s);
        m_directory = makeDirectory(u"granted"_s);
    }

    void TearDown() override { KitTesting::closeMessageBoxes(); }

    QString makeDirectory(const QString &relative)
    {
        const QString path = m_root.filePath(relative);
        EXPECT_TRUE(QDir().mkpath(path));
        return path;
    }

    static QUrl directoryUrl(const QString &path) { return QUrl::fromLocalFile(path + u'/'); }

    void grant(const QString &path)
    {
        Manager::updateBookmark(BookmarkData::create(directoryUrl(path)), directoryUrl(path));
    }

    QTemporaryDir m_root;
    QString m_directory;
};

TEST_F(BookmarkManagerTest, ALocationReachedThroughALinkOrWithoutItsSlashSharesOneEntry)
{
    const QString link = m_root.filePath(u"link"_s);
    ASSERT_TRUE(QFile::link(m_directory, link));
    const QByteArray data = BookmarkData::create(directoryUrl(m_directory));

    Manager::updateBookmark(data, QUrl::fromLocalFile(link));
    EXPECT_EQ(Manager::bookmarks().size(), 1u);
    EXPECT_EQ(Manager::bookmarks().begin()->first, directoryUrl(m_directory).toString());
    EXPECT_EQ(Manager::bookmarkData(directoryUrl(m_directory)), data);
    EXPECT_EQ(Manager::bookmarkData(QUrl::fromLocalFile(m_directory)), data);
    EXPECT_EQ(Manager::bookmarkData(directoryUrl(link)), data);

    Manager::updateBookmark(std::nullopt, directoryUrl(m_directory));
    EXPECT_TRUE(Manager::bookmarks().empty());
    EXPECT_EQ(Manager::bookmarkData(directoryUrl(link)), std::nullopt);
}

TEST_F(BookmarkManagerTest, GrantsGoToTheInstalledStoreAndAnEmptyStoreForgetsThem)
{
    Manager::Bookmarks kept;
    int writes = 0;
    Manager::setStore({ [&] { return kept; },
        [&](const Manager::Bookmarks &bookmarks) {
            kept = bookmarks;
            ++writes;
        } });
    grant(m_directory);
    const QString key = directoryUrl(m_directory).toString();
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept.begin()->first, key);
    EXPECT_EQ(writes, 1);
    kept.emplace(u"file:///elsewhere/"_s, QByteArray("other"));
    EXPECT_EQ(Manager::bookmarkData(QUrl(u"file:///elsewhere/"_s)), QByteArray("other"));

    // Without a store the grants stay in memory, starting from none.
    Manager::setStore({});
    EXPECT_TRUE(Manager::bookmarks().empty());
    grant(m_directory);
    EXPECT_EQ(Manager::bookmarks().size(), 1u);
    EXPECT_EQ(kept.size(), 2u) << "the uninstalled store is not written";
}

TEST_F(BookmarkManagerTest, AStaleGrantIsRenewedWithoutAskingAndAGoneOneIsNone)
{
    grant(m_directory);
    const QByteArray original = *Manager::bookmarkData(directoryUrl(m_directory));
    EXPECT_EQ(Manager::storedURL(directoryUrl(m_directory)), directoryUrl(m_directory));
    EXPECT_EQ(Manager::bookmarkData(directoryUrl(m_directory)), original);

    // Another directory now stands at the path: it is still what the user granted by path.
    const QString replacement = makeDirectory(u"replacement"_s);
    ASSERT_TRUE(QDir(m_directory).removeRecursively());
    ASSERT_TRUE(QDir().rename(replacement, m_directory));
    EXPECT_EQ(Manager::storedURL(directoryUrl(m_directory)), directoryUrl(m_directory));
    const auto renewed = Manager::bookmarkData(directoryUrl(m_directory));
    ASSERT_TRUE(renewed);
    EXPECT_NE(*renewed, original);
    EXPECT_FALSE(BookmarkData::resolve(*renewed)->isStale);

    ASSERT_TRUE(QDir(m_directory).removeRecursively());
    EXPECT_EQ(Manager::storedURL(directoryUrl(m_directory)), std::nullopt);
    EXPECT_EQ(Manager::storedURL(directoryUrl(m_root.path())), std::nullopt);
}

TEST_F(BookmarkManagerTest, AFileIsAccessedThroughItsFolderAndAFolderLocationAsItIs)
{
    const QString inner = makeDirectory(u"granted/inner"_s);
    grant(inner);
    int panels = 0;
    const auto user = playUser([&](OpenPanel *panel, QMessageBox *) {
        if (panel) {
            ++panels;
            panel->reject();
        }
    });
    int runs = 0;
    Manager::accessURL(QUrl::fromLocalFile(inner + u"/take.m4a"_s), [&] { ++runs; });
    EXPECT_EQ(runs, 1);
    Manager::accessURL(directoryUrl(inner), [&] { ++runs; });
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(panels, 0);

    // Without its slash the inner folder is an item of the outer one, which is not granted: the
    // user cancels the panel, so nothing runs and nothing is stored.
    Manager::accessURL(QUrl::fromLocalFile(inner), [&] { ++runs; });
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(panels, 1);
    EXPECT_EQ(Manager::bookmarks().size(), 1u);
}

TEST_F(BookmarkManagerTest, TheGrantPanelAcceptsOnlyTheRequestedDirectoryNamingAHomeFolderWithATilde)
{
    const QString inner = makeDirectory(u"granted/inner"_s);
    QStringList seen;
    const auto user = playUser([&](OpenPanel *panel, QMessageBox *alert) {
        if (alert) {
            seen << alert->text() << alert->informativeText();
            alert->close();
        } else if (panel && seen.isEmpty()) {
            seen << panel->windowTitle() << panel->message() << panel->labelText(QFileDialog::Accept);
            choose(panel, inner);
        } else if (panel && seen.size() == 5) {
            choose(panel, m_directory);
        }
    });
    int runs = 0;
    Manager::accessURL(QUrl::fromLocalFile(m_directory + u"/take.m4a"_s), [&] { ++runs; });

    EXPECT_EQ(runs, 1);
    EXPECT_EQ(seen,
        (QStringList { u"Permission"_s,
            u"Tapewick needs access to the “granted” folder. Click “Allow” to proceed."_s, u"Allow"_s,
            u"Incorrect directory."_s,
            u"Select the directory “%1”."_s.arg(QDir(m_directory).canonicalPath()) }));
    EXPECT_EQ(Manager::displayName(QUrl::fromLocalFile(u"/"_s)), u"root"_s);
    EXPECT_TRUE(Manager::bookmarkData(directoryUrl(m_directory)).has_value());
    EXPECT_EQ(Manager::storedURL(directoryUrl(m_directory)), directoryUrl(m_directory));

    QTemporaryDir inHome(QDir(realHomeDirectory().toLocalFile()).filePath(u"grant-XXXXXX"_s));
    ASSERT_TRUE(inHome.isValid());
    Manager::PanelDelegate delegate(directoryUrl(inHome.path()));
    const ErrorPtr refusal = delegate.validateUrl(QUrl::fromLocalFile(m_directory));
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->recoverySuggestion(),
        u"Select the directory “~/%1”."_s.arg(QFileInfo(inHome.path()).fileName()));
    EXPECT_EQ(delegate.validateUrl(QUrl::fromLocalFile(inHome.path())), nullptr);
    EXPECT_EQ(delegate.validateUrl(directoryUrl(inHome.path())), nullptr);
}

TEST_F(BookmarkManagerTest, ASecondPromptDuringTheFirstIsRefusedAndAnotherThreadWaitsItsTurn)
{
    const QString other = makeDirectory(u"other"_s);
    std::optional<std::optional<QUrl>> nested;
    std::atomic<bool> workerDone { false };
    std::optional<QUrl> workerResult;
    std::thread worker;
    QStringList panelsSeen;
    // An accepted panel can still be visible on the next tick: answer each panel once. Guarded
    // pointers, since the next panel may be allocated where a destroyed one was.
    QList<QPointer<OpenPanel>> panelsHandled;
    const auto user = playUser([&](OpenPanel *panel, QMessageBox *) {
        if (!panel || panelsHandled.contains(panel)) {
            return;
        }
        panelsHandled.append(panel);
        const QString directory = QDir(panel->directory()).canonicalPath();
        panelsSeen.append(directory);
        if (directory == QDir(m_directory).canonicalPath()) {
            nested = Manager::promptForAccess(directoryUrl(other));
            worker = std::thread([&] {
                workerResult = Manager::promptForAccess(directoryUrl(other));
                workerDone = true;
            });
            // The worker must still be waiting while this panel is open.
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            EXPECT_FALSE(workerDone);
            choose(panel, m_directory);
        } else {
            choose(panel, other);
        }
    });
    EXPECT_EQ(Manager::promptForAccess(directoryUrl(m_directory)), directoryUrl(m_directory));
    ASSERT_TRUE(nested.has_value());
    EXPECT_EQ(*nested, std::nullopt);
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return workerDone.load(); }));
    worker.join();
    EXPECT_EQ(workerResult, directoryUrl(other));
    EXPECT_EQ(panelsSeen, (QStringList { QDir(m_directory).canonicalPath(), QDir(other).canonicalPath() }));
}

TEST_F(BookmarkManagerTest, AFailureOfTheClosureIsShownAndNotPassedOn)
{
    grant(m_directory);
    QString shown;
    const auto user = playUser([&](OpenPanel *, QMessageBox *alert) {
        if (alert) {
            shown = alert->text();
            alert->close();
        }
    });
    EXPECT_NO_THROW(Manager::accessURL(
        directoryUrl(m_directory), [] { throw NSError::appError(u"Could not write the image."_s); }));
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return !shown.isEmpty(); }));
    EXPECT_EQ(shown, u"Could not write the image."_s);
}

} // namespace
