#include "kit/foundation/errors/CocoaError.h"
#include "kit/foundation/errors/ErrorUserInfoKeys.h"
#include "kit/foundation/files/FileOperations.h"
#include "kit/foundation/files/FileTexts.h"

#include "KitTesting.h"

#include <QDir>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>

#include <sys/stat.h>

#include <atomic>

using namespace Qt::StringLiterals;

namespace {

using KitTesting::readFile;
using KitTesting::thrown;

class FileOperationsTest : public ::testing::Test
{
protected:
    QString write(const QString &name, const QByteArray &contents)
    {
        return KitTesting::writeFile(m_directory.filePath(name), contents);
    }

    QByteArray read(const QString &name) const { return readFile(m_directory.filePath(name)); }
    QUrl url(const QString &name) const { return QUrl::fromLocalFile(m_directory.filePath(name)); }

    QTemporaryDir m_directory;
};

TEST_F(FileOperationsTest, UniqueCopyOrMoveSkipsTheNumbersTakenAndFailuresArePassedOn)
{
    const QString source = write(u"tmp/Audio Recording.m4a"_s, "new take");
    write(u"out/Audio Recording.m4a"_s, "first");
    write(u"out/Audio Recording (1).m4a"_s, "second");

    const QUrl copied
        = copyOrMoveItemUniquely(QUrl::fromLocalFile(source), url("out/Audio Recording.m4a"), false);
    EXPECT_EQ(copied, url("out/Audio Recording (2).m4a"));
    EXPECT_EQ(readFile(source), QByteArray("new take")) << "a copy keeps its source";
    const QUrl moved
        = copyOrMoveItemUniquely(QUrl::fromLocalFile(source), url("out/Audio Recording.m4a"), true);
    EXPECT_EQ(moved, url("out/Audio Recording (3).m4a"));
    EXPECT_FALSE(QFileInfo::exists(source));
    for (const QUrl &written : { copied, moved }) {
        EXPECT_EQ(readFile(written.toLocalFile()), QByteArray("new take"));
    }
    EXPECT_EQ(read("out/Audio Recording.m4a"), QByteArray("first"));
    EXPECT_EQ(read("out/Audio Recording (1).m4a"), QByteArray("second"));

    const QString free = write(u"tmp/a.tar.gz"_s, "z");
    EXPECT_EQ(
        copyOrMoveItemUniquely(QUrl::fromLocalFile(free), url("out/a.tar.gz"), true), url("out/a.tar.gz"));
    const QString again = write(u"tmp/a.tar.gz"_s, "y");
    EXPECT_EQ(copyOrMoveItemUniquely(QUrl::fromLocalFile(again), url("out/a.tar.gz"), false),
        url("out/a.tar (1).gz"));
    write(u"out/notes"_s, "old");
    EXPECT_EQ(
        copyOrMoveItemUniquely(QUrl::fromLocalFile(again), url("out/notes"), false), url("out/notes (1)"));

    // Failures other than a taken name are passed on.
    const auto error
        = thrown<CocoaError>([&] { copyOrMoveItemUniquely(url("missing.wav"), url("out.wav"), false); });
    ASSERT_TRUE(error) << "a missing source must fail";
    EXPECT_EQ(error->code(), CocoaError::fileReadNoSuchFile);
    EXPECT_FALSE(QFileInfo::exists(m_directory.filePath("out.wav")));
    EXPECT_FALSE(QFileInfo::exists(m_directory.filePath("out (1).wav")));
}

TEST_F(FileOperationsTest, CopyRefusesAnExistingDestinationUnlessAskedToOverwrite)
{
    const QString source = write(u"a.wav"_s, "source");
    const QString target = write(u"b.wav"_s, "target");
    const auto error
        = thrown<CocoaError>([&] { copyItem(QUrl::fromLocalFile(source), QUrl::fromLocalFile(target)); });
    ASSERT_TRUE(error) << "an existing destination must be refused";
    EXPECT_EQ(error->code(), CocoaError::fileWriteFileExists);
    EXPECT_EQ(readFile(target), QByteArray("target"));

    copyItem(QUrl::fromLocalFile(source), QUrl::fromLocalFile(target), true);
    EXPECT_EQ(readFile(target), QByteArray("source"));

    // Overwriting a file with itself must not delete it first.
    EXPECT_THROW(copyItem(QUrl::fromLocalFile(source), QUrl::fromLocalFile(source), true), CocoaError);
    EXPECT_EQ(readFile(source), QByteArray("source"));
}

TEST_F(FileOperationsTest, OverwritingKeepsTheExistingItemWhenTheCopyFails)
{
    // A pipe cannot be copied: the copy fails after the existing item would have been removed.
    const QString pipe = m_directory.filePath(u"pipe"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QString file = write(u"file.wav"_s, "file");
    write(u"tree/inner.wav"_s, "inner");
    const struct
    {
        QString source;
        QString target;
        QString kept; // the file that shows the target as it was, or as the copy made it
        QByteArray contents;
    } cases[] = {
        { pipe, u"kept.wav"_s, u"kept.wav"_s, "kept" },
        { pipe, u"keptTree"_s, u"keptTree/inner.wav"_s, "kept" },
        { file, u"old.wav"_s, u"old.wav"_s, "file" },
        { m_directory.filePath(u"tree"_s), u"oldTree"_s, u"oldTree/inner.wav"_s, "inner" },
    };
    for (const auto &c : cases) {
        const QString target = m_directory.filePath(c.target);
        const bool tree = c.kept != c.target;
        write(tree ? c.target + u"/inner.wav"_s : c.target, "kept");
        if (tree) {
            write(c.target + u"/stale"_s, "");
        }
        const auto failure = thrown<CocoaError>(
            [&] { copyItem(QUrl::fromLocalFile(c.source), QUrl::fromLocalFile(target), true); });
        EXPECT_EQ(failure.has_value(), c.source == pipe) << c.target.toStdString();
        EXPECT_EQ(read(c.kept), c.contents) << c.target.toStdString();
        // A replaced tree is replaced whole; nothing half-made is left beside the target.
        EXPECT_EQ(QFileInfo::exists(target + u"/stale"_s), c.target == QLatin1String("keptTree"));
    }
    EXPECT_TRUE(
        QDir(m_directory.path()).entryList({ u".*.part"_s }, QDir::AllEntries | QDir::Hidden).isEmpty());
}

// Naming steps that fail with errno `code`.
template<int code>
int refuse(const char *, const char *)
{
    errno = code;
    return -1;
}
template<int code>
constexpr NoReplaceCalls refusing { refuse<code>, refuse<code> };

// The item being copied is there: a destination that cannot be written is told by its folder, never
// as a file that does not exist.
TEST_F(FileOperationsTest, AFolderThatCannotTakeTheCopySaysWhy)
{
    const QUrl source = QUrl::fromLocalFile(write(u"Take.m4a"_s, "audio"));
    write(u"notes.txt"_s, "not a folder");
    const struct
    {
        const char *name;
        QString destination;
        std::optional<NoReplaceCalls> calls;
        CocoaError::Code code;
        QString description;
    } cases[] = {
        // Creating anything in it fails as if the folder were not there.
        { "a folder of the system's own", u"/proc/Take.m4a"_s, std::nullopt,
            CocoaError::fileWriteNoPermission,
            u"“Take.m4a” couldn’t be copied because the folder “proc” doesn’t accept new files."_s },
        { "a folder that is not there", m_directory.filePath(u"gone/deeper/Take.m4a"_s), std::nullopt,
            CocoaError::fileNoSuchFile,
            u"“Take.m4a” couldn’t be copied because the folder “deeper” doesn’t exist."_s },
        { "a file as the folder", m_directory.filePath(u"notes.txt/Take.m4a"_s), std::nullopt,
            CocoaError::fileNoSuchFile,
            u"“Take.m4a” couldn’t be copied because “notes.txt” is not a folder."_s },
        { "a file on the way", m_directory.filePath(u"notes.txt/inner/Take.m4a"_s), std::nullopt,
            CocoaError::fileNoSuchFile,
            u"“Take.m4a” couldn’t be copied because “notes.txt” is not a folder."_s },
        // The superuser writes into any folder of a writable file system: the refusal is made up.
        { "no permission", m_directory.filePath(u"out/Take.m4a"_s), refusing<EACCES>,
            CocoaError::fileWriteNoPermission,
            u"“Take.m4a” couldn’t be copied because you don’t have permission to write in the folder “out”."_s },
        { "a read-only file system", m_directory.filePath(u"out/Take.m4a"_s), refusing<EROFS>,
            CocoaError::fileWriteVolumeReadOnly,
            u"“Take.m4a” couldn’t be copied because the folder “out” is on a read-only file system."_s },
        // In the words a recording's own full disk is told in, not the system's.
        { "a full disk", m_directory.filePath(u"out/Take.m4a"_s), refusing<ENOSPC>,
            CocoaError::fileWriteOutOfSpace, u"“Take.m4a” couldn’t be copied: "_s + FileTexts::diskFull() },
        { "a full quota", m_directory.filePath(u"out/Take.m4a"_s), refusing<EDQUOT>,
            CocoaError::fileWriteOutOfSpace, u"“Take.m4a” couldn’t be copied: "_s + FileTexts::diskFull() },
    };
    ASSERT_TRUE(QDir(m_directory.path()).mkpath(u"out"_s));
    for (const auto &testCase : cases) {
        const std::pair<const char *, std::function<void(const QUrl &)>> copies[] = {
            { "copy", [&](const QUrl &to) { copyItem(source, to); } },
            { "copy replacing", [&](const QUrl &to) { copyItem(source, to, true); } },
            { "unique copy", [&](const QUrl &to) { copyOrMoveItemUniquely(source, to, false); } },
        };
        for (const auto &[how, copy] : copies) {
            SCOPED_TRACE(std::string(testCase.name) + ", " + how);
            const std::optional<NoReplaceCalls> previous
                = testCase.calls ? std::optional(setNoReplaceCalls(*testCase.calls)) : std::nullopt;
            const auto error = thrown<CocoaError>([&] { copy(QUrl::fromLocalFile(testCase.destination)); });
            if (previous) {
                setNoReplaceCalls(*previous);
            }
            ASSERT_TRUE(error);
            EXPECT_EQ(error->code(), testCase.code);
            EXPECT_EQ(error->localizedDescription().toStdString(), testCase.description.toStdString());
            EXPECT_EQ(error->userInfo().value(NSFilePathErrorKey).toString(), testCase.destination);
        }
    }
    EXPECT_EQ(read(u"Take.m4a"_s), QByteArray("audio"));
    EXPECT_EQ(QDir(m_directory.filePath(u"out"_s))
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList())
        << "nothing half-made is left";
}

TEST_F(FileOperationsTest, CopyKeepsPermissionsAndCopiesDirectoryTrees)
{
    const QString source = write(u"tree/inner/x.m4a"_s, "x");
    write(u"tree/.hidden"_s, "h");
    QFile::setPermissions(source, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    copyItem(url("tree"), url("copy"));
    EXPECT_EQ(read("copy/inner/x.m4a"), QByteArray("x"));
    EXPECT_EQ(read("copy/.hidden"), QByteArray("h"));
    EXPECT_EQ(QFile::permissions(m_directory.filePath("copy/inner/x.m4a")), QFile::permissions(source));
}

// Watched from another thread, a copy shows itself in progress under a hidden name only, and
// under the name asked for only once complete.
TEST_F(FileOperationsTest, ACopyInProgressNeverShowsUnderItsFinalName)
{
    const QByteArray contents(48 << 20, 'a');
    const QUrl source = QUrl::fromLocalFile(write(u"big.wav"_s, contents));
    const std::pair<const char *, std::function<void(const QUrl &)>> cases[] = {
        { "copy", [&](const QUrl &to) { copyItem(source, to); } },
        { "unique copy", [&](const QUrl &to) { copyOrMoveItemUniquely(source, to, false); } },
    };
    for (const auto &[name, copy] : cases) {
        const QDir folder(m_directory.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(folder.mkpath(u"."_s));
        const QString target = folder.filePath(u"Take.wav"_s);
        std::atomic<bool> done = false;
        const std::unique_ptr<QThread> copier(QThread::create([&] {
            copy(QUrl::fromLocalFile(target));
            done = true;
        }));
        bool seenInProgress = false;
        QSet<qint64> finalSizes;
        copier->start();
        while (!done) {
            if (const QFileInfo final(target); final.exists()) {
                finalSizes.insert(final.size());
            }
            for (const QFileInfo &item : folder.entryInfoList(QDir::Files | QDir::Hidden)) {
                seenInProgress |= isPartialItemName(item.fileName()) && item.size() < contents.size();
            }
        }
        copier->wait();
        EXPECT_TRUE(seenInProgress) << name;
        finalSizes.insert(QFileInfo(target).size());
        EXPECT_EQ(finalSizes, QSet<qint64> { contents.size() }) << name << ": the final name held less";
        EXPECT_EQ(folder.entryList(QDir::Files | QDir::Hidden), QStringList { u"Take.wav"_s }) << name;
    }
}

// Names up to the file system's 255 bytes, in one-, three- and four-byte characters.
QStringList namesAtTheLimit()
{
    return { QString(251, u'a') + u".m4a"_s, QString(83, QChar(0x540D)) + u".wav"_s,
        QString(83, QChar(0x540D)) + u"xx.m4a"_s,
        QString(67, u'x') + u"\U0001F3B5"_s.repeated(46) + u".m4a"_s };
}

TEST_F(FileOperationsTest, NamesUpToTheLimitAreCopiedAndNumberedWithinIt)
{
    const QString source = write(u"take.m4a"_s, "audio");
    for (const QString &name : namesAtTheLimit()) {
        const QUrl target = url(name);
        copyItem(QUrl::fromLocalFile(source), target);
        // Taken: the numbered name gives up the end of the stem, never the number or extension.
        const QString made = copyOrMoveItemUniquely(QUrl::fromLocalFile(source), target, false).fileName();
        EXPECT_LE(made.toUtf8().size(), 255) << made.toStdString();
        EXPECT_TRUE(made.endsWith(u" (1)."_s + QFileInfo(name).suffix())) << made.toStdString();
        EXPECT_TRUE(name.startsWith(made.left(made.lastIndexOf(u" ("_s)))) << made.toStdString();
        EXPECT_EQ(read(made), QByteArray("audio"));
    }
}

TEST(PartialItemNameTest, AHiddenNameFitsTheLimitInWholeCharactersForEveryName)
{
    for (const QString &name : namesAtTheLimit() + QStringList { u"Take.m4a"_s }) {
        const QString made = QFileInfo(partialItemPath(u"/out/"_s + name)).fileName();
        SCOPED_TRACE(made.toStdString());
        EXPECT_LE(made.toUtf8().size(), 255);
        EXPECT_TRUE(isPartialItemName(made));
        EXPECT_NE(made, QFileInfo(partialItemPath(u"/out/"_s + name)).fileName()) << "each is new";
        // Its stem is a start of the name, cut between characters only.
        const QString stem = made.mid(1, made.size() - 1 - 38);
        EXPECT_TRUE(name.startsWith(stem));
        EXPECT_FALSE(stem.isEmpty() || stem.back().isHighSurrogate());
        EXPECT_EQ(stem == name, name.toUtf8().size() <= 255 - 39);
    }
}

TEST(PartialItemNameTest, OnlyTheHiddenNamesOfCopiesInProgressAreRecognised)
{
    const QString made = QFileInfo(partialItemPath(u"/out/Audio Recording.m4a"_s)).fileName();
    EXPECT_TRUE(made.startsWith(u".Audio Recording.m4a."_s)) << made.toStdString();
    EXPECT_NE(made, QFileInfo(partialItemPath(u"/out/Audio Recording.m4a"_s)).fileName()) << "each is new";
    const std::pair<QString, bool> cases[] = {
        { made, true },
        { u".x.0123456789abcdef0123456789abcdef.part"_s, true },
        { u"x.0123456789abcdef0123456789abcdef.part"_s, false }, // not hidden
        { u".x.0123456789abcdef.part"_s, false }, // too short a tag
        { u".x.0123456789ABCDEF0123456789ABCDEF.part"_s, false },
        { u".x.0123456789abcdef0123456789abcdef.part.m4a"_s, false },
    };
    for (const auto &[fileName, partial] : cases) {
        EXPECT_EQ(isPartialItemName(fileName), partial) << fileName.toStdString();
    }
}

} // namespace
