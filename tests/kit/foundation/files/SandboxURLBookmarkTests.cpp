#include "kit/foundation/errors/CocoaError.h"
#include "kit/foundation/errors/Errno.h"
#include "kit/foundation/files/BookmarkData.h"
#include "kit/foundation/files/BookmarkRecord.h"
#include "kit/foundation/files/SandboxURLBookmark.h"
#include "kit/foundation/system/FoundationHooks.h"

#include "KitTesting.h"

#include <QTemporaryDir>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

using KitTesting::thrown;

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
        ASSERT_TRUE(QDir().mkpath(m_root.filePath(u"data/Trash/files"_s)));
        g_messages.clear();
        m_previousHandler = qInstallMessageHandler(collectMessages);
        FoundationHooks::setReportError([this](const Error &error, const QVariantMap &, const QString &,
                                            int) { m_reported.append(error.localizedDescription()); });
    }

    void TearDown() override
    {
        qInstallMessageHandler(m_previousHandler);
        FoundationHooks::setReportError({});
    }

    QString makeFile(const QString &relative) { return KitTesting::writeFile(m_root.filePath(relative)); }

    QTemporaryDir m_root;
    KitTesting::ScopedEnv m_dataHome { "XDG_DATA_HOME", m_root.filePath(u"data"_s) };
    QtMessageHandler m_previousHandler = nullptr;
    QStringList m_reported;
};

TEST_F(SandboxURLBookmarkTest, AnUntouchedItemResolvesFreshAnotherAtThePathStaleAndAMissingOrTrashedOneToNone)
{
    const QString path = makeFile(u"take.m4a"_s);
    const auto bookmark = SandboxURLBookmark::fromURL(QUrl::fromLocalFile(path));
    EXPECT_EQ(bookmark.originalURL(), QUrl::fromLocalFile(path));
    EXPECT_EQ(bookmark.resolvedURL(), QUrl::fromLocalFile(path));
    const auto resolution = BookmarkData::resolve(bookmark.bookmarkData());
    ASSERT_TRUE(resolution);
    EXPECT_FALSE(resolution->isStale);
    EXPECT_TRUE(g_messages.filter(u"stale"_s).isEmpty());

    // A directory resolves to a directory location.
    const auto folder = SandboxURLBookmark::fromURL(QUrl::fromLocalFile(m_root.path()));
    EXPECT_EQ(folder.resolvedURL(), QUrl::fromLocalFile(m_root.path() + u'/'));

    // The new file exists before the old one goes, so it cannot reuse the old inode.
    const QString replacement = makeFile(u"new.m4a"_s);
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QFile::rename(replacement, path));

    EXPECT_EQ(bookmark.resolvedURL(), QUrl::fromLocalFile(path));
    EXPECT_TRUE(BookmarkData::resolve(bookmark.bookmarkData())->isStale);
    EXPECT_TRUE(g_messages.contains(
        u"SandboxURLBookmark: Bookmark for %1 is stale"_s.arg(QUrl::fromLocalFile(path).toString())))
        << g_messages.join(u'\n').toStdString();

    // A missing item or one in the trash resolves to none.
    const QString gone = makeFile(u"gone.m4a"_s);
    const auto goneBookmark = SandboxURLBookmark::fromURL(QUrl::fromLocalFile(gone));
    ASSERT_TRUE(QFile::remove(gone));
    EXPECT_EQ(goneBookmark.resolvedURL(), std::nullopt);
    EXPECT_EQ(goneBookmark.originalURL(), QUrl::fromLocalFile(gone));

    const QString trashed = makeFile(u"data/Trash/files/old.m4a"_s);
    EXPECT_EQ(SandboxURLBookmark::fromURL(QUrl::fromLocalFile(trashed)).resolvedURL(), std::nullopt);
    EXPECT_TRUE(m_reported.isEmpty());
}

TEST_F(SandboxURLBookmarkTest, IsItsBytesCodedAsOneBase64TextAndBytesThatAreNoBookmarkResolveToNone)
{
    const SandboxURLBookmark junk(QByteArray("book\0\x01\x02", 7));
    EXPECT_EQ(junk.originalURL(), std::nullopt);
    EXPECT_EQ(junk.resolvedURL(), std::nullopt);
    EXPECT_EQ(m_reported, QStringList { u"originalURL for bookmark is `nil`"_s });
    EXPECT_EQ(SandboxURLBookmark(QByteArray()).resolvedURL(), std::nullopt);

    const QByteArray bytes("not a bookmark");
    EXPECT_EQ(SandboxURLBookmark(bytes), SandboxURLBookmark(bytes));
    EXPECT_EQ(SandboxURLBookmark(bytes).rawValue(), bytes);
    EXPECT_NE(SandboxURLBookmark(bytes), SandboxURLBookmark(bytes + 'x'));
    const SandboxURLBookmark bookmark(QByteArray::fromHex("00ff64617461"));
    EXPECT_EQ(bookmark.toJson(), QJsonValue(u"AP9kYXRh"_s));
    EXPECT_EQ(SandboxURLBookmark::fromJson(bookmark.toJson()), bookmark);
    EXPECT_EQ(SandboxURLBookmark::fromJson(QJsonValue(u"not base64!"_s)), std::nullopt);
    EXPECT_EQ(SandboxURLBookmark::fromJson(QJsonValue(42)), std::nullopt);
}

TEST_F(SandboxURLBookmarkTest, CreationFailsForWhatIsNotALocalItem)
{
    const auto web
        = thrown<CocoaError>([] { SandboxURLBookmark::fromURL(QUrl(u"https://example.org/a.m4a"_s)); });
    ASSERT_TRUE(web) << "a web location was bookmarked";
    EXPECT_EQ(web->code(), CocoaError::fileNoSuchFile);
    const auto missing = thrown<Errno>(
        [&] { SandboxURLBookmark::fromURL(QUrl::fromLocalFile(m_root.filePath(u"missing"_s))); });
    ASSERT_TRUE(missing) << "a missing item was bookmarked";
    EXPECT_EQ(missing->rawValue(), ENOENT);
}

// 0 when the item yields a read-only bookmark only, else the number of the failed check.
int readOnlyBookmarkProblem(const QString &path)
{
    const auto refusal = thrown<Errno>([&] { BookmarkData::create(QUrl::fromLocalFile(path)); });
    if (!refusal || refusal->rawValue() != EACCES) {
        return refusal ? 2 : 1;
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
    const QString path = makeFile(u"locked.m4a"_s);
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadOther));
    if (::geteuid() != 0) {
        EXPECT_EQ(readOnlyBookmarkProblem(path), 0);
        return;
    }
    // The superuser may write anything, so the check runs as an unprivileged user in a child.
    ASSERT_TRUE(QFile::setPermissions(m_root.path(),
        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
    GTEST_FLAG_SET(death_test_style, "fast");
    EXPECT_EXIT(::_exit(::setgid(65534) == 0 && ::setuid(65534) == 0 ? readOnlyBookmarkProblem(path) : 10),
        ::testing::ExitedWithCode(0), "");
}

} // namespace
