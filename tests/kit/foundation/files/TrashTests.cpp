#include "kit/foundation/files/Trash.h"

#include "KitTesting.h"

#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Points the desktop's data directory, and with it the home trash, at a scratch folder.
class TrashTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(QDir().mkpath(m_data.filePath(u"data/Trash/files"_s))); }

    QUrl at(const QString &relative) const { return QUrl::fromLocalFile(m_data.filePath(relative)); }

    QTemporaryDir m_data;
    KitTesting::ScopedEnv m_dataHome { "XDG_DATA_HOME", m_data.filePath(u"data"_s) };
};

TEST_F(TrashTest, ItemsInsideTheHomeTrashAreInItButNotTheTrashItselfByResolvedPathComponents)
{
    ASSERT_TRUE(QDir().mkpath(m_data.filePath(u"data/Trash/files/Old Recordings"_s)));
    EXPECT_EQ(Trash::directoryFor(m_data.filePath(u"music"_s)), m_data.filePath(u"data/Trash"_s));
    EXPECT_TRUE(isInTrash(at("data/Trash/files/Old Recordings")));
    EXPECT_TRUE(isInTrash(at("data/Trash/files/gone.m4a"))) << "an item need not exist any more";
    EXPECT_FALSE(isInTrash(at("data/Trash")));
    EXPECT_FALSE(isInTrash(at("data/Trash/")));
    EXPECT_FALSE(isInTrash(at("music/take.m4a")));

    ASSERT_TRUE(QDir().mkpath(m_data.filePath(u"data/TrashCan"_s)));
    ASSERT_TRUE(QDir().mkpath(m_data.filePath(u"music"_s)));
    EXPECT_FALSE(isInTrash(at("data/TrashCan/take.m4a"))) << "a shared prefix is not containment";
    EXPECT_FALSE(isInTrash(at("data/Trash/files/../../../music/take.m4a")));
    ASSERT_TRUE(QFile::link(m_data.filePath(u"data/Trash/files"_s), m_data.filePath(u"shortcut"_s)));
    EXPECT_TRUE(isInTrash(at("shortcut/take.m4a"))) << "a link into the trash still leads there";
    EXPECT_TRUE(isInTrash(at("music/File Provider Storage/photospicker/.Trash/x.jpg")));
    EXPECT_FALSE(isInTrash(QUrl(u"https://example.org/data/Trash/files/x"_s)));
}

TEST_F(TrashTest, RelationshipComparesWholeComponents)
{
    ASSERT_TRUE(QDir().mkpath(m_data.filePath(u"a/b"_s)));
    EXPECT_EQ(relationship(at("a"), at("a/b")), URLRelationship::contains);
    EXPECT_EQ(relationship(at("a"), at("a/./")), URLRelationship::same);
    EXPECT_EQ(relationship(at("a/b"), at("a")), URLRelationship::other);
    EXPECT_EQ(relationship(at("a"), at("ab")), URLRelationship::other);
    EXPECT_EQ(relationship(at("missing"), at("missing/x")), URLRelationship::other);
}

TEST(TrashOnAnotherFileSystem, UsesThatFileSystemsOwnTrashOrNone)
{
    const QString top = u"/dev/shm"_s;
    struct stat shm = {};
    struct stat home = {};
    if (::stat("/dev/shm", &shm) != 0 || ::stat(QFile::encodeName(QDir::homePath()).constData(), &home) != 0
        || shm.st_dev == home.st_dev) {
        GTEST_SKIP() << "no second file system at /dev/shm";
    }
    const QString ownTrash = QDir(top).filePath(u".Trash-%1"_s.arg(::getuid()));
    if (QFileInfo::exists(ownTrash) || QFileInfo::exists(QDir(top).filePath(u".Trash"_s))) {
        GTEST_SKIP() << "a trash already exists there";
    }
    QTemporaryDir folder(QDir(top).filePath(u"tapewick-XXXXXX"_s));
    ASSERT_TRUE(folder.isValid());
    const QUrl photos
        = QUrl::fromLocalFile(folder.filePath(u"File Provider Storage/photospicker/.Trash/x"_s));
    EXPECT_EQ(Trash::directoryFor(folder.path()), std::nullopt);
    EXPECT_FALSE(isInTrash(photos)) << "without a trash the answer is false whatever the path";

    ASSERT_TRUE(QDir().mkpath(QDir(ownTrash).filePath(u"files"_s)));
    EXPECT_EQ(Trash::directoryFor(folder.path()), ownTrash);
    EXPECT_TRUE(isInTrash(QUrl::fromLocalFile(QDir(ownTrash).filePath(u"files/take.m4a"_s))));
    EXPECT_FALSE(isInTrash(QUrl::fromLocalFile(folder.filePath(u"take.m4a"_s))));
    QDir(ownTrash).removeRecursively();
}

} // namespace
