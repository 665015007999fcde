#include "kit/foundation/files/Trash.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Points the desktop's data directory, and with it the home trash, at a scratch folder.
class TrashTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_previous = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_data.filePath(QStringLiteral("data"))));
        ASSERT_TRUE(QDir().mkpath(m_data.filePath(QStringLiteral("data/Trash/files"))));
    }

    void TearDown() override
    {
        if (m_previous.isNull()) {
            qunsetenv("XDG_DATA_HOME");
        } else {
            qputenv("XDG_DATA_HOME", m_previous);
        }
    }

    QUrl at(const QString &relative) const { return QUrl::fromLocalFile(m_data.filePath(relative)); }

    QTemporaryDir m_data;
    QByteArray m_previous;
};

TEST_F(TrashTest, ItemsInsideTheHomeTrashAreInItButNotTheTrashItself)
{
    ASSERT_TRUE(QDir().mkpath(m_data.filePath(QStringLiteral("data/Trash/files/Old Recordings"))));
    EXPECT_EQ(Trash::directoryFor(m_data.filePath(QStringLiteral("music"))),
        m_data.filePath(QStringLiteral("data/Trash")));
    EXPECT_TRUE(isInTrash(at("data/Trash/files/Old Recordings")));
    EXPECT_TRUE(isInTrash(at("data/Trash/files/gone.m4a"))) << "an item need not exist any more";
    EXPECT_FALSE(isInTrash(at("data/Trash")));
    EXPECT_FALSE(isInTrash(at("data/Trash/")));
    EXPECT_FALSE(isInTrash(at("music/take.m4a")));
}

TEST_F(TrashTest, DecidesOnResolvedPathComponentsNotOnText)
{
    ASSERT_TRUE(QDir().mkpath(m_data.filePath(QStringLiteral("data/TrashCan"))));
    ASSERT_TRUE(QDir().mkpath(m_data.filePath(QStringLiteral("music"))));
    EXPECT_FALSE(isInTrash(at("data/TrashCan/take.m4a"))) << "a shared prefix is not containment";
    EXPECT_FALSE(isInTrash(at("data/Trash/files/../../../music/take.m4a")));
    ASSERT_TRUE(QFile::link(
        m_data.filePath(QStringLiteral("data/Trash/files")), m_data.filePath(QStringLiteral("shortcut"))));
    EXPECT_TRUE(isInTrash(at("shortcut/take.m4a"))) << "a link into the trash still leads there";
    EXPECT_TRUE(isInTrash(at("music/File Provider Storage/photospicker/.Trash/x.jpg")));
    EXPECT_FALSE(isInTrash(QUrl(QStringLiteral("https://example.org/data/Trash/files/x"))));
}

TEST_F(TrashTest, RelationshipComparesWholeComponents)
{
    ASSERT_TRUE(QDir().mkpath(m_data.filePath(QStringLiteral("a/b"))));
    EXPECT_EQ(relationship(at("a"), at("a/b")), URLRelationship::contains);
    EXPECT_EQ(relationship(at("a"), at("a/./")), URLRelationship::same);
    EXPECT_EQ(relationship(at("a/b"), at("a")), URLRelationship::other);
    EXPECT_EQ(relationship(at("a"), at("ab")), URLRelationship::other);
    EXPECT_EQ(relationship(at("missing"), at("missing/x")), URLRelationship::other);
}

TEST(TrashOnAnotherFileSystem, UsesThatFileSystemsOwnTrashOrNone)
{
    const QString top = QStringLiteral("/dev/shm");
    struct stat shm
    {
    };
    struct stat home
    {
    };
    if (::stat("/dev/shm", &shm) != 0 || ::stat(QFile::encodeName(QDir::homePath()).constData(), &home) != 0
        || shm.st_dev == home.st_dev) {
        GTEST_SKIP() << "no second file system at /dev/shm";
    }
    const QString ownTrash = QDir(top).filePath(QStringLiteral(".Trash-%1").arg(::getuid()));
    if (QFileInfo::exists(ownTrash) || QFileInfo::exists(QDir(top).filePath(QStringLiteral(".Trash")))) {
        GTEST_SKIP() << "a trash already exists there";
    }
    QTemporaryDir folder(QDir(top).filePath(QStringLiteral("tapewick-XXXXXX")));
    ASSERT_TRUE(folder.isValid());
    const QUrl photos
        = QUrl::fromLocalFile(folder.filePath(QStringLiteral("File Provider Storage/photospicker/.Trash/x")));
    EXPECT_EQ(Trash::directoryFor(folder.path()), std::nullopt);
    EXPECT_FALSE(isInTrash(photos)) << "without a trash the answer is false whatever the path";

    ASSERT_TRUE(QDir().mkpath(QDir(ownTrash).filePath(QStringLiteral("files"))));
    EXPECT_EQ(Trash::directoryFor(folder.path()), ownTrash);
    EXPECT_TRUE(isInTrash(QUrl::fromLocalFile(QDir(ownTrash).filePath(QStringLiteral("files/take.m4a")))));
    EXPECT_FALSE(isInTrash(QUrl::fromLocalFile(folder.filePath(QStringLiteral("take.m4a")))));
    QDir(ownTrash).removeRecursively();
}

} // namespace
