#include "kit/foundation/errors/CocoaError.h"
#include "kit/foundation/files/FileOperations.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

class FileOperationsTest : public ::testing::Test
{
protected:
    QString write(const QString &name, const QByteArray &contents)
    {
        const QString path = m_directory.filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(contents);
        return path;
    }

    QByteArray read(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    QUrl url(const QString &name) const { return QUrl::fromLocalFile(m_directory.filePath(name)); }

    QTemporaryDir m_directory;
};

TEST_F(FileOperationsTest, UniqueCopySkipsTheNameAndTheNumbersAlreadyTaken)
{
    const QString source = write(QStringLiteral("tmp/Audio Recording.m4a"), "new take");
    write(QStringLiteral("out/Audio Recording.m4a"), "first");
    write(QStringLiteral("out/Audio Recording (1).m4a"), "second");
    write(QStringLiteral("out/Audio Recording (2).m4a"), "third");

    const QUrl written
        = copyOrMoveItemUniquely(QUrl::fromLocalFile(source), url("out/Audio Recording.m4a"), false);
    EXPECT_EQ(written, url("out/Audio Recording (3).m4a"));
    EXPECT_EQ(read(written.toLocalFile()), QByteArray("new take"));
    EXPECT_EQ(read(m_directory.filePath("out/Audio Recording.m4a")), QByteArray("first"));
    EXPECT_EQ(read(m_directory.filePath("out/Audio Recording (1).m4a")), QByteArray("second"));
    EXPECT_EQ(read(m_directory.filePath("out/Audio Recording (2).m4a")), QByteArray("third"));
    EXPECT_EQ(read(source), QByteArray("new take")) << "a copy keeps its source";
}

TEST_F(FileOperationsTest, UniqueMoveTakesTheFreeNameAndRemovesTheSource)
{
    const QString source = write(QStringLiteral("tmp/notes"), "text");
    write(QStringLiteral("out/notes"), "old");
    const QUrl written = copyOrMoveItemUniquely(QUrl::fromLocalFile(source), url("out/notes"), true);
    EXPECT_EQ(written, url("out/notes (1)"));
    EXPECT_EQ(read(written.toLocalFile()), QByteArray("text"));
    EXPECT_FALSE(QFileInfo::exists(source));
    EXPECT_EQ(read(m_directory.filePath("out/notes")), QByteArray("old"));

    const QString free = write(QStringLiteral("tmp/a.tar.gz"), "z");
    EXPECT_EQ(
        copyOrMoveItemUniquely(QUrl::fromLocalFile(free), url("out/a.tar.gz"), true), url("out/a.tar.gz"));
    const QString again = write(QStringLiteral("tmp/a.tar.gz"), "y");
    EXPECT_EQ(copyOrMoveItemUniquely(QUrl::fromLocalFile(again), url("out/a.tar.gz"), false),
        url("out/a.tar (1).gz"));
}

TEST_F(FileOperationsTest, UniqueCopyPassesOnFailuresOtherThanATakenName)
{
    try {
        copyOrMoveItemUniquely(url("missing.wav"), url("out.wav"), false);
        FAIL() << "a missing source must fail";
    } catch (const CocoaError &error) {
        EXPECT_EQ(error.code(), CocoaError::fileReadNoSuchFile);
    }
    EXPECT_FALSE(QFileInfo::exists(m_directory.filePath("out.wav")));
    EXPECT_FALSE(QFileInfo::exists(m_directory.filePath("out (1).wav")));
}

TEST_F(FileOperationsTest, CopyRefusesAnExistingDestinationUnlessAskedToOverwrite)
{
    const QString source = write(QStringLiteral("a.wav"), "source");
    const QString target = write(QStringLiteral("b.wav"), "target");
    try {
        copyItem(QUrl::fromLocalFile(source), QUrl::fromLocalFile(target));
        FAIL() << "an existing destination must be refused";
    } catch (const CocoaError &error) {
        EXPECT_EQ(error.code(), CocoaError::fileWriteFileExists);
    }
    EXPECT_EQ(read(target), QByteArray("target"));

    copyItem(QUrl::fromLocalFile(source), QUrl::fromLocalFile(target), true);
    EXPECT_EQ(read(target), QByteArray("source"));

    // Overwriting a file with itself must not delete it first.
    EXPECT_THROW(copyItem(QUrl::fromLocalFile(source), QUrl::fromLocalFile(source), true), CocoaError);
    EXPECT_EQ(read(source), QByteArray("source"));
}

TEST_F(FileOperationsTest, OverwritingKeepsTheExistingItemWhenTheCopyFails)
{
    // A pipe cannot be copied: the copy fails after the existing item would have been removed.
    const QString pipe = m_directory.filePath(QStringLiteral("pipe"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QString file = write(QStringLiteral("file.wav"), "file");
    write(QStringLiteral("tree/inner.wav"), "inner");
    const struct
    {
        QString source;
        QString target;
        QString kept; // the file that shows the target as it was, or as the copy made it
        QByteArray contents;
    } cases[] = {
        { pipe, QStringLiteral("kept.wav"), QStringLiteral("kept.wav"), "kept" },
        { pipe, QStringLiteral("keptTree"), QStringLiteral("keptTree/inner.wav"), "kept" },
        { file, QStringLiteral("old.wav"), QStringLiteral("old.wav"), "file" },
        { m_directory.filePath(QStringLiteral("tree")), QStringLiteral("oldTree"),
            QStringLiteral("oldTree/inner.wav"), "inner" },
    };
    for (const auto &c : cases) {
        const QString target = m_directory.filePath(c.target);
        const bool tree = c.kept != c.target;
        write(tree ? c.target + QStringLiteral("/inner.wav") : c.target, "kept");
        if (tree) {
            write(c.target + QStringLiteral("/stale"), "");
        }
        try {
            copyItem(QUrl::fromLocalFile(c.source), QUrl::fromLocalFile(target), true);
            EXPECT_NE(c.source, pipe) << c.target.toStdString();
        } catch (const CocoaError &) {
            EXPECT_EQ(c.source, pipe) << c.target.toStdString();
        }
        EXPECT_EQ(read(m_directory.filePath(c.kept)), c.contents) << c.target.toStdString();
        // A replaced tree is replaced whole; nothing half-made is left beside the target.
        EXPECT_EQ(
            QFileInfo::exists(target + QStringLiteral("/stale")), c.target == QLatin1String("keptTree"));
    }
    EXPECT_TRUE(QDir(m_directory.path())
                    .entryList({ QStringLiteral(".*.part") }, QDir::AllEntries | QDir::Hidden)
                    .isEmpty());
}

TEST_F(FileOperationsTest, CopyKeepsPermissionsAndCopiesDirectoryTrees)
{
    const QString source = write(QStringLiteral("tree/inner/x.m4a"), "x");
    write(QStringLiteral("tree/.hidden"), "h");
    QFile::setPermissions(source, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    copyItem(url("tree"), url("copy"));
    EXPECT_EQ(read(m_directory.filePath("copy/inner/x.m4a")), QByteArray("x"));
    EXPECT_EQ(read(m_directory.filePath("copy/.hidden")), QByteArray("h"));
    EXPECT_EQ(QFile::permissions(m_directory.filePath("copy/inner/x.m4a")), QFile::permissions(source));
}

} // namespace
