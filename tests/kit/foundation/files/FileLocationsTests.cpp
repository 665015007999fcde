#include "kit/foundation/files/FileLocations.h"
#include "kit/foundation/files/ResourceValues.h"
#include "kit/foundation/files/TemporaryDirectory.h"
#include "kit/foundation/system/FoundationHooks.h"

#include "EventLoop.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

namespace {

TEST(FileLocations, RealHomeComesFromTheAccountDatabase)
{
    const struct passwd *entry = ::getpwuid(::getuid());
    ASSERT_NE(entry, nullptr);
    const QUrl home = realHomeDirectory();
    EXPECT_TRUE(home.isLocalFile());
    EXPECT_EQ(QDir::cleanPath(home.toLocalFile()), QDir::cleanPath(QFile::decodeName(entry->pw_dir)));
    EXPECT_TRUE(home.toLocalFile().endsWith(u'/'));
    EXPECT_EQ(rootDirectory().toLocalFile(), QStringLiteral("/"));
}

TEST(FileLocations, ApplicationDirectoryIsMadeOrReportedButAlwaysReturned)
{
    QTemporaryDir scratch;
    const QByteArray previous = qgetenv("XDG_CACHE_HOME");
    std::vector<QString> reports;
    FoundationHooks::setReportError([&](const Error &error, const QVariantMap &, const QString &, int) {
        reports.push_back(error.localizedDescription());
    });
    FoundationHooks::setAppName(QStringLiteral("Tapewick"));

    qputenv("XDG_CACHE_HOME", QFile::encodeName(scratch.filePath(QStringLiteral("cache"))));
    const QUrl made = applicationDirectory(QStandardPaths::GenericCacheLocation);
    // A path below a plain file cannot be made, not even by the superuser.
    QFile blocker(scratch.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    qputenv("XDG_CACHE_HOME", QFile::encodeName(scratch.filePath(QStringLiteral("file/cache"))));
    const QUrl blocked = applicationDirectory(QStandardPaths::GenericCacheLocation);

    previous.isNull() ? qunsetenv("XDG_CACHE_HOME") : qputenv("XDG_CACHE_HOME", previous);
    FoundationHooks::setAppName({});
    FoundationHooks::setReportError({});

    EXPECT_EQ(QDir::cleanPath(made.toLocalFile()), scratch.filePath(QStringLiteral("cache/Tapewick")));
    EXPECT_TRUE(QFileInfo(made.toLocalFile()).isDir());
    EXPECT_EQ(
        QDir::cleanPath(blocked.toLocalFile()), scratch.filePath(QStringLiteral("file/cache/Tapewick")));
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports.front().contains(QStringLiteral("file/cache/Tapewick")));
}

TEST(FileLocations, TextGoesIntoAFileOfItsOwnWithTheTypesExtension)
{
    const QMimeType plainText = QMimeDatabase().mimeTypeForName(QStringLiteral("text/plain"));
    const QUrl file
        = writeTextToTemporaryFile(QStringLiteral("Debug Info"), plainText, QStringLiteral("näme: 1\n"));
    const TemporaryDirectory owner { QUrl::fromLocalFile(QFileInfo(file.toLocalFile()).path()) };
    EXPECT_EQ(QFileInfo(file.toLocalFile()).fileName(), QStringLiteral("Debug Info.txt"));
    EXPECT_EQ(
        QDir(QFileInfo(file.toLocalFile()).path()).entryList(QDir::Files | QDir::NoDotAndDotDot).size(), 1);
    QFile written(file.toLocalFile());
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(written.readAll()), QStringLiteral("näme: 1\n"));
}

TEST(FileLocations, QuitIsAskedOnTheNextTurnOfTheEventLoop)
{
    int asked = 0;
    FoundationHooks::setTerminate([&] { ++asked; });
    quitAppAsync();
    EXPECT_EQ(asked, 0);
    EXPECT_TRUE(TestSupport::processEventsUntil([&] { return asked == 1; }));
    TestSupport::processEventsFor(std::chrono::milliseconds(10));
    FoundationHooks::setTerminate({});
    EXPECT_EQ(asked, 1);
}

TEST(ResourceValues, ReadTheFileSystemAndAnswerNothingForMissingItems)
{
    QTemporaryDir directory;
    const QString audio = directory.filePath(QStringLiteral("take.m4a"));
    QFile file(audio);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(1234, 'a'));
    file.close();
    const QString launcher = directory.filePath(QStringLiteral("app.desktop"));
    QFile entry(launcher);
    ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
    entry.write("[Desktop Entry]\nType=Application\nName=App\nExec=app\n");
    entry.close();

    const QUrl audioUrl = QUrl::fromLocalFile(audio);
    const QUrl folderUrl = QUrl::fromLocalFile(directory.path());
    const QUrl missing = QUrl::fromLocalFile(directory.filePath(QStringLiteral("missing")));
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
    EXPECT_EQ(
        contentType(QUrl::fromLocalFile(QStringLiteral("/nowhere/take.m4a"))), ContentTypes::mpeg4Audio());
    EXPECT_EQ(contentType(QUrl::fromLocalFile(QStringLiteral("/nowhere/take.wav"))), ContentTypes::wav());
    EXPECT_EQ(ContentTypes::mpeg4Audio().preferredSuffix(), QStringLiteral("m4a"));
    EXPECT_EQ(ContentTypes::wav().preferredSuffix(), QStringLiteral("wav"));
    EXPECT_EQ(contentType(QUrl::fromLocalFile(QStringLiteral("/nowhere/file.zzqx"))), std::nullopt);
    EXPECT_EQ(contentType(QUrl::fromLocalFile(QStringLiteral("/nowhere/noextension"))), std::nullopt);

    QTemporaryDir directory;
    const QString unnamed = directory.filePath(QStringLiteral("recording"));
    QFile file(unnamed);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    QByteArray header("RIFF\x24\x00\x00\x00WAVEfmt ", 16);
    file.write(header + QByteArray(32, '\0'));
    file.close();
    EXPECT_EQ(contentType(QUrl::fromLocalFile(unnamed)), ContentTypes::wav());
}

} // namespace
