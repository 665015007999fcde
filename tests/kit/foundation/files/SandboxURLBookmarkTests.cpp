#include "kit/foundation/errors/CocoaError.h"
#include "kit/foundation/errors/Errno.h"
#include "kit/foundation/files/BookmarkData.h"
#include "kit/foundation/files/BookmarkRecord.h"
#include "kit/foundation/files/SandboxURLBookmark.h"
#include "kit/foundation/system/FoundationHooks.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

namespace {

QStringList g_messages;

void collectMessages(QtMsgType, const QMessageLogContext &, const QString &message)
{
    g_messages.append(message);
}

// Items in a scratch folder, with the desktop's home trash inside it too.
class SandboxURLBookmarkTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_root.isValid());
        m_savedDataHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_root.filePath(QStringLiteral("data"))));
        ASSERT_TRUE(QDir().mkpath(m_root.filePath(QStringLiteral("data/Trash/files"))));
        g_messages.clear();
        m_previousHandler = qInstallMessageHandler(collectMessages);
        FoundationHooks::setReportError([this](const Error &error, const QVariantMap &, const QString &,
                                            int) { m_reported.append(error.localizedDescription()); });
    }

    void TearDown() override
    {
        qInstallMessageHandler(m_previousHandler);
        FoundationHooks::setReportError({});
        if (m_savedDataHome.isNull()) {
            qunsetenv("XDG_DATA_HOME");
        } else {
            qputenv("XDG_DATA_HOME", m_savedDataHome);
        }
    }

    QString makeFile(const QString &relative)
    {
        const QString path = m_root.filePath(relative);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("audio");
        return path;
    }

    QTemporaryDir m_root;
    QByteArray m_savedDataHome;
    QtMessageHandler m_previousHandler = nullptr;
    QStringList m_reported;
};

TEST_F(SandboxURLBookmarkTest, AnUntouchedItemResolvesFreshToItsLocation)
{
    const QString path = makeFile(QStringLiteral("take.m4a"));
    const auto bookmark = SandboxURLBookmark::fromURL(QUrl::fromLocalFile(path));
    EXPECT_EQ(bookmark.originalURL(), QUrl::fromLocalFile(path));
    EXPECT_EQ(bookmark.resolvedURL(), QUrl::fromLocalFile(path));
    const auto resolution = BookmarkData::resolve(bookmark.bookmarkData());
    ASSERT_TRUE(resolution);
    EXPECT_FALSE(resolution->isStale);
    EXPECT_TRUE(g_messages.filter(QStringLiteral("stale")).isEmpty());

    // A directory resolves to a directory location.
    const auto folder = SandboxURLBookmark::fromURL(QUrl::fromLocalFile(m_root.path()));
    EXPECT_EQ(folder.resolvedURL(), QUrl::fromLocalFile(m_root.path() + u'/'));
}

TEST_F(SandboxURLBookmarkTest, AnotherItemAtThePathIsStaleLoggedAndStillResolved)
{
    const QString path = makeFile(QStringLiteral("take.m4a"));
    const auto bookmark = SandboxURLBookmark::fromURL(QUrl::fromLocalFile(path));
    // The new file exists before the old one goes, so it cannot reuse the old inode.
    const QString replacement = makeFile(QStringLiteral("new.m4a"));
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QFile::rename(replacement, path));

    EXPECT_EQ(bookmark.resolvedURL(), QUrl::fromLocalFile(path));
    EXPECT_TRUE(BookmarkData::resolve(bookmark.bookmarkData())->isStale);
    EXPECT_TRUE(g_messages.contains(QStringLiteral("SandboxURLBookmark: Bookmark for %1 is stale")
                                        .arg(QUrl::fromLocalFile(path).toString())))
        << g_messages.join(u'\n').toStdString();
}

TEST_F(SandboxURLBookmarkTest, AMissingItemOrOneInTheTrashResolvesToNone)
{
    const QString gone = makeFile(QStringLiteral("gone.m4a"));
    const auto goneBookmark = SandboxURLBookmark::fromURL(QUrl::fromLocalFile(gone));
    ASSERT_TRUE(QFile::remove(gone));
    EXPECT_EQ(goneBookmark.resolvedURL(), std::nullopt);
    EXPECT_EQ(goneBookmark.originalURL(), QUrl::fromLocalFile(gone));

    const QString trashed = makeFile(QStringLiteral("data/Trash/files/old.m4a"));
    EXPECT_EQ(SandboxURLBookmark::fromURL(QUrl::fromLocalFile(trashed)).resolvedURL(), std::nullopt);
    EXPECT_TRUE(m_reported.isEmpty());
}

TEST_F(SandboxURLBookmarkTest, BytesThatAreNoBookmarkResolveToNoneAndAreReported)
{
    const SandboxURLBookmark junk(QByteArray("book\0\x01\x02", 7));
    EXPECT_EQ(junk.originalURL(), std::nullopt);
    EXPECT_EQ(junk.resolvedURL(), std::nullopt);
    EXPECT_EQ(m_reported, QStringList { QStringLiteral("originalURL for bookmark is `nil`") });
    EXPECT_EQ(SandboxURLBookmark(QByteArray()).resolvedURL(), std::nullopt);
}

TEST_F(SandboxURLBookmarkTest, IdenticalBytesAreEqualWhateverTheyResolveTo)
{
    const QByteArray bytes("not a bookmark");
    EXPECT_EQ(SandboxURLBookmark(bytes), SandboxURLBookmark(bytes));
    EXPECT_EQ(SandboxURLBookmark(bytes).rawValue(), bytes);
    EXPECT_NE(SandboxURLBookmark(bytes), SandboxURLBookmark(bytes + 'x'));
}

TEST_F(SandboxURLBookmarkTest, CodesAsOneBase64TextAndRefusesAnythingElse)
{
    const SandboxURLBookmark bookmark(QByteArray("\x00\xff"
                                                 "data",
        6));
    EXPECT_EQ(bookmark.toJson(), QJsonValue(QStringLiteral("AP9kYXRh")));
    EXPECT_EQ(SandboxURLBookmark::fromJson(bookmark.toJson()), bookmark);
    EXPECT_EQ(SandboxURLBookmark::fromJson(QJsonValue(QStringLiteral("not base64!"))), std::nullopt);
    EXPECT_EQ(SandboxURLBookmark::fromJson(QJsonValue(42)), std::nullopt);
}

TEST_F(SandboxURLBookmarkTest, CreationFailsForWhatIsNotALocalItem)
{
    try {
        SandboxURLBookmark::fromURL(QUrl(QStringLiteral("https://example.org/a.m4a")));
        FAIL() << "a web location was bookmarked";
    } catch (const CocoaError &error) {
        EXPECT_EQ(error.code(), CocoaError::fileNoSuchFile);
    }
    try {
        SandboxURLBookmark::fromURL(QUrl::fromLocalFile(m_root.filePath(QStringLiteral("missing"))));
        FAIL() << "a missing item was bookmarked";
    } catch (const Errno &error) {
        EXPECT_EQ(error.rawValue(), ENOENT);
    }
}

// 0 when the item yields a read-only bookmark only, else the number of the failed check.
int readOnlyBookmarkProblem(const QString &path)
{
    try {
        BookmarkData::create(QUrl::fromLocalFile(path));
        return 1;
    } catch (const Errno &error) {
        if (error.rawValue() != EACCES) {
            return 2;
        }
    }
    const auto bookmark = SandboxURLBookmark::fromURL(QUrl::fromLocalFile(path));
    if (bookmark.resolvedURL() != QUrl::fromLocalFile(path)) {
        return 3;
    }
    const auto record = BookmarkRecord::decode(bookmark.bookmarkData());
    return record && record->isReadOnly ? 0 : 4;
}

TEST_F(SandboxURLBookmarkTest, AnItemThatCanOnlyBeReadGetsAReadOnlyBookmark)
{
    const QString path = makeFile(QStringLiteral("locked.m4a"));
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadOther));
    if (::geteuid() != 0) {
        EXPECT_EQ(readOnlyBookmarkProblem(path), 0);
        return;
    }
    // The superuser may write anything, so the check runs as an unprivileged user in a child.
    ASSERT_TRUE(QFile::setPermissions(m_root.path(),
        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) {
            ::_exit(10);
        }
        ::_exit(readOnlyBookmarkProblem(path));
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

} // namespace
