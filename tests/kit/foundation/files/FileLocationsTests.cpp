#include "kit/foundation/files/FileLocations.h"
#include "kit/foundation/files/ResourceValues.h"
#include "kit/foundation/files/TemporaryDirectory.h"
#include "kit/foundation/system/FoundationHooks.h"

#include "KitTesting.h"

#include <QMimeDatabase>
#include <QTemporaryDir>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

TEST(FileLocations, RealHomeComesFromTheAccountDatabaseAndTheApplicationDirectoryIsMadeOrReported)
{
    const struct passwd *entry = ::getpwuid(::getuid());
    ASSERT_NE(entry, nullptr);
    const QUrl home = realHomeDirectory();
    EXPECT_TRUE(home.isLocalFile());
    EXPECT_EQ(QDir::cleanPath(home.toLocalFile()), QDir::cleanPath(QFile::decodeName(entry->pw_dir)));
    EXPECT_TRUE(home.toLocalFile().endsWith(u'/'));
    EXPECT_EQ(rootDirectory().toLocalFile(), u"/"_s);

    QTemporaryDir scratch;
    std::vector<QString> reports;
    FoundationHooks::setReportError([&](const Error &error, const QVariantMap &, const QString &, int) {
        reports.push_back(error.localizedDescription());
    });
    FoundationHooks::setAppName(u"Tapewick"_s);
    const auto cacheIn = [](const QString &home) {
        const KitTesting::ScopedEnv cacheHome("XDG_CACHE_HOME", home);
        return applicationDirectory(QStandardPaths::GenericCacheLocation);
    };
    const QUrl made = cacheIn(scratch.filePath(u"cache"_s));
    // A path below a plain file cannot be made, not even by the superuser.
    KitTesting::writeFile(scratch.filePath(u"file"_s));
    const QUrl blocked = cacheIn(scratch.filePath(u"file/cache"_s));
    FoundationHooks::setAppName({});
    FoundationHooks::setReportError({});

    EXPECT_EQ(QDir::cleanPath(made.toLocalFile()), scratch.filePath(u"cache/Tapewick"_s));
    EXPECT_TRUE(QFileInfo(made.toLocalFile()).isDir());
    EXPECT_EQ(QDir::cleanPath(blocked.toLocalFile()), scratch.filePath(u"file/cache/Tapewick"_s));
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports.front().contains(u"file/cache/Tapewick"_s));
}

// QDir::tempPath() answers nothing for a TMPDIR that does not exist, and a path built on nothing
// lands in the working directory.
TEST(FileLocations, TheTemporaryFolderIsTmpdirByItsAbsolutePathElseTmpAndNeverRelative)
{
    QTemporaryDir existing;
    const QString missing = existing.filePath(u"missing/"_s);
    const struct
    {
        QString tmpdir;
        QString expected;
    } cases[] = {
        { QString(), u"/tmp"_s },
        { u"relative"_s, u"/tmp"_s },
        { u"."_s, u"/tmp"_s },
        { existing.path() + u"//"_s, existing.path() },
        { missing, QDir::cleanPath(missing) },
    };
    FoundationHooks::setAppName(u"Tapewick"_s);
    for (const auto &[tmpdir, expected] : cases) {
        SCOPED_TRACE(tmpdir.toStdString());
        const KitTesting::ScopedEnv environment("TMPDIR", tmpdir);
        EXPECT_EQ(systemTemporaryPath(), expected);
        // A user directory the system does not name falls back to a place in that folder.
        const auto unnamed = static_cast<QStandardPaths::StandardLocation>(999);
        const QString place = QStringLiteral("%1/Tapewick-%2-999").arg(expected).arg(::getuid());
        EXPECT_EQ(systemDirectory(unnamed).toLocalFile(), place + u'/');
        QDir().rmdir(place);
        // Everyone writes there: a place others can write is not taken.
        if (QDir().mkdir(place) && ::chmod(QFile::encodeName(place).constData(), 0777) == 0) {
            const QString given = systemDirectory(unnamed).toLocalFile();
            EXPECT_NE(given, place + u'/');
            EXPECT_EQ(QFileInfo(given).permissions() & (QFile::WriteGroup | QFile::WriteOther), 0);
            QDir().rmdir(given);
        }
        QDir().rmdir(place);
    }
    FoundationHooks::setAppName({});
}

TEST(FileLocations, TextGoesIntoAFileOfItsOwnWithTheTypesExtension)
{
    const QMimeType plainText = QMimeDatabase().mimeTypeForName(u"text/plain"_s);
    const QUrl file = writeTextToTemporaryFile(u"Debug Info"_s, plainText, u"näme: 1\n"_s);
    const TemporaryDirectory owner { QUrl::fromLocalFile(QFileInfo(file.toLocalFile()).path()) };
    EXPECT_EQ(QFileInfo(file.toLocalFile()).fileName(), u"Debug Info.txt"_s);
    EXPECT_EQ(
        QDir(QFileInfo(file.toLocalFile()).path()).entryList(QDir::Files | QDir::NoDotAndDotDot).size(), 1);
    EXPECT_EQ(QString::fromUtf8(KitTesting::readFile(file.toLocalFile())), u"näme: 1\n"_s);
}

TEST(ResourceValues, ReadTheFileSystemAndAnswerNothingForMissingItems)
{
    QTemporaryDir directory;
    const QString audio = KitTesting::writeFile(directory.filePath(u"take.m4a"_s), QByteArray(1234, 'a'));
    const QString launcher = KitTesting::writeFile(
        directory.filePath(u"app.desktop"_s), "[Desktop Entry]\nType=Application\nName=App\nExec=app\n");

    const QUrl audioUrl = QUrl::fromLocalFile(audio);
    const QUrl folderUrl = QUrl::fromLocalFile(directory.path());
    const QUrl missing = QUrl::fromLocalFile(directory.filePath(u"missing"_s));
    EXPECT_EQ(resourceValue(audioUrl, URLResourceKey::fileSize), QVariant(1234.0));
    EXPECT_EQ(resourceValue(folderUrl, URLResourceKey::fileSize), std::nullopt);
    EXPECT_EQ(resourceValue(missing, URLResourceKey::isDirectory), std::nullopt);
    EXPECT_TRUE(resourceValueBool(folderUrl, URLResourceKey::isDirectory));
    EXPECT_FALSE(resourceValueBool(audioUrl, URLResourceKey::isDirectory));
    EXPECT_TRUE(resourceValueBool(missing, URLResourceKey::isDirectory, true))
        << "the default for an unreadable value";
    EXPECT_TRUE(resourceValueBool(folderUrl, URLResourceKey::isWritable));
    EXPECT_FALSE(resourceValueBool(folderUrl, URLResourceKey::isPackage, true));
    EXPECT_TRUE(resourceValueBool(QUrl::fromLocalFile(launcher), URLResourceKey::isApplication));
    EXPECT_FALSE(resourceValueBool(audioUrl, URLResourceKey::isApplication));
    EXPECT_FALSE(resourceValueString(audioUrl, URLResourceKey::localizedTypeDescription)
                     .value_or(QString())
                     .isEmpty());
    EXPECT_EQ(resourceValueString(audioUrl, URLResourceKey::isDirectory), std::nullopt);
}

TEST(ContentTypes, ComeFromContentsElseTheExtension)
{
    EXPECT_EQ(contentType(QUrl::fromLocalFile(u"/nowhere/take.m4a"_s)), ContentTypes::mpeg4Audio());
    EXPECT_EQ(contentType(QUrl::fromLocalFile(u"/nowhere/take.wav"_s)), ContentTypes::wav());
    EXPECT_EQ(contentType(QUrl::fromLocalFile(u"/nowhere/file.zzqx"_s)), std::nullopt);
    EXPECT_EQ(contentType(QUrl::fromLocalFile(u"/nowhere/noextension"_s)), std::nullopt);

    QTemporaryDir directory;
    const QString unnamed = KitTesting::writeFile(directory.filePath(u"recording"_s),
        QByteArray("RIFF\x24\x00\x00\x00WAVEfmt ", 16) + QByteArray(32, '\0'));
    EXPECT_EQ(contentType(QUrl::fromLocalFile(unnamed)), ContentTypes::wav());
}

} // namespace
