#include "AudioDoubles.h"
#include "EventLoop.h"
#include "FileContents.h"
#include "ScopedEnv.h"
#include "TaskRunner.h"
#include "UrlOpenCatcher.h"

#include "recording/MetadataExport.h"
#include "recording/QuickLookPreviewController.h"
#include "recording/RecordingFilename.h"
#include "recording/TemporaryRecordings.h"

#include "kit/foundation/errors/GeneralError.h"
#include "kit/foundation/files/ExtendedAttributes.h"
#include "kit/foundation/files/UniqueTemporaryDirectories.h"
#include "kit/foundation/system/FoundationHooks.h"

#include <QCoro/QCoroTask>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <functional>

#include <sys/xattr.h>

namespace {

using namespace std::chrono_literals;
using TestSupport::readFile;
using TestSupport::writeFile;

TEST(RecordingFilenameTest, TheDateIsTheSameInEveryLocale)
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
    const QString name = makeRecordingFilename("Memo", QDateTime(QDate(2024, 3, 5), QTime(23, 7, 9)));
    QLocale::setDefault(previous);
    EXPECT_EQ(name, "Memo 2024-03-05 at 23.07.09");
}

bool hasSystemAttribute(const QString &path, const char *name)
{
    return ::getxattr(QFile::encodeName(path).constData(), name, nullptr, 0) >= 0;
}

class MetadataExportTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(directory.isValid());
        FoundationHooks::setAppName("Tapewick");
    }

    QString write(const QString &name, const QByteArray &contents)
    {
        return writeFile(directory.filePath(name), contents);
    }

    AudioDoubles::Installation doubles;
    QTemporaryDir directory;
};

// Enough of an MPEG-4 audio file for its type to be recognised from its contents.
const QByteArray m4aHeader = QByteArray::fromHex("00000018667479704d344120000002004d34412069736f6d");

TEST_F(MetadataExportTest, AnM4aKeepsItsAttributesWithoutTheQuarantineMarkAndNamesTheSoftware)
{
    const QString path = write("Take.m4a", m4aHeader + "audio");
    const QUrl url = QUrl::fromLocalFile(path);
    setExtendedAttribute(url, "creator-bytes", "com.apple.metadata:kMDItemCreator", {}, false);
    setExtendedAttribute(url, "0081;quarantined", "com.apple.quarantine", {}, false);

    TaskRunner run(exportWithMetadata(url));
    ASSERT_EQ(doubles.exporter.requests.size(), 1u);
    const FakeExporter::Request request = doubles.exporter.requests[0];
    EXPECT_EQ(request.source, path);
    EXPECT_EQ(request.software, "Tapewick");
    EXPECT_EQ(QFileInfo(request.destination).absolutePath(), directory.path())
        << "written beside the file, so that a rename replaces it";
    EXPECT_TRUE(QFileInfo(request.destination).fileName().startsWith(".Take.m4a."));
    TestSupport::processEventsFor(20ms);
    EXPECT_FALSE(run.isDone()) << "the export is awaited";

    writeFile(request.destination, m4aHeader + "audio+software");
    doubles.exporter.completeNext({});
    EXPECT_FALSE(run.wait());

    EXPECT_FALSE(QFile::exists(request.destination)) << "the export took the file's place";
    EXPECT_EQ(readFile(path), m4aHeader + "audio+software");
    EXPECT_EQ(
        readExtendedAttribute(QFile::encodeName(path), "com.apple.metadata:kMDItemCreator"), "creator-bytes");
    EXPECT_FALSE(hasSystemAttribute(path, "user.com.apple.quarantine"));
    EXPECT_TRUE(doubles.reports->empty());
}

// A WAV recording is left as it is; a file of unknown type fails and is left as it was.
TEST_F(MetadataExportTest, AWavOrAFileOfUnknownTypeIsNotRewritten)
{
    const QByteArray wav = "RIFF" + QByteArray::fromHex("24000000") + "WAVEfmt " + QByteArray(28, '\0');
    const std::tuple<QString, QByteArray, QString> cases[] = {
        { "Take.wav", wav, {} },
        { "noextension", QByteArray("\x01\x02\x03\x04\xff\xfe", 6), "Could not infer the file type." },
    };
    for (const auto &[name, bytes, failure] : cases) {
        const QString path = write(name, bytes);
        setExtendedAttribute(QUrl::fromLocalFile(path), "1", "com.apple.quarantine", {}, false);
        const ErrorPtr error = TaskRunner::runToEnd(exportWithMetadata(QUrl::fromLocalFile(path)));
        EXPECT_EQ(error ? error->localizedDescription() : QString(), failure);
        EXPECT_TRUE(doubles.exporter.requests.empty());
        EXPECT_EQ(readFile(path), bytes);
        EXPECT_TRUE(hasSystemAttribute(path, "user.com.apple.quarantine"));
    }
}

TEST_F(MetadataExportTest, AFailedRewriteIsPassedOnAndTheFileIsUntouched)
{
    struct Case
    {
        const char *name;
        AudioResult<void> result;
        const char *error;
    };
    const Case cases[] = {
        { "the export fails", AudioError { AudioError::Domain::media, 9, "Cannot demux." }, "Cannot demux." },
        { "the export cannot be set up", AudioError { AudioError::Domain::media, 12, "No MP4 writer.", true },
            "Unable to create export session." },
        // The rewrite is missing when it should take the file's place.
        { "the export succeeds without writing", AudioResult<void>(), nullptr },
    };
    for (const Case &testCase : cases) {
        SCOPED_TRACE(testCase.name);
        const QString path = write("Take.m4a", m4aHeader);
        setExtendedAttribute(QUrl::fromLocalFile(path), "1", "com.apple.quarantine", {}, false);
        TaskRunner run(exportWithMetadata(QUrl::fromLocalFile(path)));
        ASSERT_TRUE(doubles.exporter.completeNext(testCase.result));
        const ErrorPtr error = run.wait();
        ASSERT_TRUE(error);
        if (testCase.error) {
            EXPECT_EQ(error->localizedDescription(), testCase.error);
        }
        EXPECT_EQ(readFile(path), m4aHeader);
        EXPECT_TRUE(hasSystemAttribute(path, "user.com.apple.quarantine"));
        EXPECT_EQ(QDir(directory.path()).entryList(QDir::Files | QDir::Hidden), QStringList { "Take.m4a" });
    }
}

TEST_F(MetadataExportTest, AFileMovedOrDeletedWhileTheRewriteRunsIsNotBroughtBack)
{
    const QString elsewhere = directory.filePath(QStringLiteral("trash/Take.m4a"));
    ASSERT_TRUE(QDir(directory.path()).mkdir(QStringLiteral("trash")));
    struct Case
    {
        const char *name;
        std::function<void(const QString &)> userAction;
        QByteArray leftAtPath; // empty: nothing is there
        QByteArray leftElsewhere;
    };
    const Case cases[] = {
        { "moved to the trash", [&](const QString &path) { QFile::rename(path, elsewhere); }, {}, m4aHeader },
        { "deleted", [](const QString &path) { QFile::remove(path); }, {}, {} },
        { "replaced by another file",
            [&](const QString &path) {
                QFile::remove(path);
                write(QStringLiteral("Take.m4a"), "another");
            },
            "another", {} },
    };
    for (const Case &testCase : cases) {
        SCOPED_TRACE(testCase.name);
        QFile::remove(elsewhere);
        const QString path = write(QStringLiteral("Take.m4a"), m4aHeader);
        TaskRunner run(exportWithMetadata(QUrl::fromLocalFile(path)));
        ASSERT_FALSE(doubles.exporter.requests.empty());
        writeFile(doubles.exporter.requests.back().destination, m4aHeader + "software");
        testCase.userAction(path);
        ASSERT_TRUE(doubles.exporter.completeNext({}));
        EXPECT_FALSE(run.wait());
        const auto contents
            = [](const QString &file) { return QFile::exists(file) ? readFile(file) : QByteArray(); };
        EXPECT_EQ(contents(path), testCase.leftAtPath);
        EXPECT_EQ(contents(elsewhere), testCase.leftElsewhere);
        EXPECT_EQ(QDir(directory.path()).entryList(QDir::Files | QDir::Hidden).size(),
            testCase.leftAtPath.isEmpty() ? 0 : 1)
            << "the rewrite is dropped";
    }
}

// Every parent that holds recordings is shown, the fallback one too: what went there on a day the
// usual one could not be used is found later. With none, the one the next recording goes to.
TEST(TemporaryRecordingsTest, OpensEachParentThatHoldsRecordingsElseTheUsualOne)
{
    const struct
    {
        bool inUsual;
        bool inFallback;
    } cases[] = { { false, false }, { false, true }, { true, true } };
    for (const auto &[inUsual, inFallback] : cases) {
        SCOPED_TRACE(testing::Message() << inUsual << inFallback);
        QTemporaryDir base;
        QTemporaryDir temporary;
        const TestSupport::ScopedEnv baseVariable("TAPEWICK_TEMPORARY_BASE", base.path());
        const TestSupport::ScopedEnv temporaryVariable("TMPDIR", temporary.path());
        const QStringList parents = UniqueTemporaryDirectories::recordingParents();
        ASSERT_EQ(parents.size(), 2);
        QStringList expected;
        for (const auto &[holds, parent] :
            { std::pair(inUsual, parents[0]), std::pair(inFallback, parents[1]) }) {
            if (holds) {
                writeFile(
                    UniqueTemporaryDirectories::createIn(parent).toLocalFile() + QStringLiteral("/take.m4a"));
                expected.append(parent);
            }
        }
        UrlOpenCatcher catcher;
        showTemporaryRecordingsDirectory();

        QStringList opened;
        for (const QUrl &url : catcher.opened) {
            opened.append(QDir::cleanPath(url.toLocalFile()));
        }
        EXPECT_EQ(opened, expected.isEmpty() ? QStringList { parents[0] } : expected);
    }
}

TEST(QuickLookPreviewControllerTest, ThePanelOpensTheFileWithTheDesktopsApplication)
{
    UrlOpenCatcher catcher;
    QuickLookPreviewController controller;
    const bool withoutFile = PreviewPanel::shared().open(controller);
    controller.url = QUrl::fromLocalFile("/recordings/Take.m4a");
    const bool withFile = PreviewPanel::shared().open(controller);

    EXPECT_FALSE(withoutFile);
    EXPECT_TRUE(withFile);
    EXPECT_EQ(catcher.opened, QList<QUrl>({ QUrl::fromLocalFile("/recordings/Take.m4a") }));
    EXPECT_EQ(PreviewPanel::shared().dataSource(), nullptr);
}

} // namespace
