#include "KitTesting.h"
#include "UserAttributes.h"

#include "kit/foundation/files/ExtendedAttributes.h"
#include "kit/foundation/files/FileLocations.h"
#include "kit/foundation/files/FileOperations.h"
#include "kit/ui/ImageWriting.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QMimeDatabase>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>

namespace {

using namespace Qt::StringLiterals;

QImage testImage(int width = 64, int height = 48)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(QColor(200, 40, 40));
    return image;
}

int dpiOf(const QImage &image)
{
    return static_cast<int>(std::lround(image.dotsPerMeterX() * 0.0254));
}

class ImageWritingTest : public testing::Test
{
protected:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QUrl url(const QString &name) const { return QUrl::fromLocalFile(path(name)); }

    QTemporaryDir m_dir;
};

// Every type this system can encode comes back with its size; the types that keep a resolution
// keep the one asked for.
TEST_F(ImageWritingTest, EachSupportedTypeReadsBack)
{
    const QStringList keepResolution { QStringLiteral("png"), QStringLiteral("jpg"), QStringLiteral("bmp") };
    int written = 0;
    for (const QByteArray &name : QImageWriter::supportedMimeTypes()) {
        const QMimeType type = QMimeDatabase().mimeTypeForName(QString::fromLatin1(name));
        const QString suffix = type.preferredSuffix();
        if (suffix.isEmpty() || ImageWriting::fileType(url(QStringLiteral("x.") + suffix)) != type) {
            continue;
        }
        const QUrl target = url(QStringLiteral("image.") + suffix);
        ImageWriting::write(testImage(), target, { .dpi = 144 });
        QImageReader reader(target.toLocalFile());
        const QImage back = reader.read();
        ASSERT_FALSE(back.isNull()) << suffix.toStdString() << reader.errorString().toStdString();
        EXPECT_EQ(back.size(), QSize(64, 48)) << suffix.toStdString();
        if (keepResolution.contains(suffix)) {
            EXPECT_EQ(dpiOf(back), 144) << suffix.toStdString();
        }
        ++written;
    }
    EXPECT_GE(written, 3);
}

// PNG is compressed as its writer does by default, whatever the factor; a lossy format follows it.
TEST_F(ImageWritingTest, CompressionFactorIsForLossyFormatsOnly)
{
    QByteArray plain;
    QBuffer buffer(&plain);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(QImageWriter(&buffer, "png").write(testImage()));
    const QMimeDatabase types;
    for (const double factor : { 1.0, 0.0 }) {
        EXPECT_EQ(ImageWriting::data(testImage(), types.mimeTypeForName(u"image/png"_s), factor), plain)
            << factor;
    }
    const QMimeType jpeg = types.mimeTypeForName(u"image/jpeg"_s);
    EXPECT_LT(
        ImageWriting::data(testImage(), jpeg, 0.1).size(), ImageWriting::data(testImage(), jpeg, 1.0).size());
}

TEST_F(ImageWritingTest, SizeAndResolutionOptions)
{
    QImage fine = testImage(200, 100);
    fine.setDotsPerMeterX(std::lround(300 / 0.0254));
    fine.setDotsPerMeterY(std::lround(300 / 0.0254));
    // 72 adds no resolution of its own.
    for (const auto &[maxPixelSize, dpi, size, readDpi] :
        std::vector<std::tuple<std::optional<int>, std::optional<int>, QSize, int>> {
            { 50, std::nullopt, { 50, 25 }, 300 }, { 500, 96, { 200, 100 }, 96 },
            { std::nullopt, 72, { 200, 100 }, 300 } }) {
        const QUrl target = url(QStringLiteral("sized.png"));
        ImageWriting::write(fine, target, { .maxPixelSize = maxPixelSize, .dpi = dpi });
        const QImage back(target.toLocalFile());
        EXPECT_EQ(back.size(), size);
        EXPECT_EQ(dpiOf(back), readDpi);
    }
}

TEST_F(ImageWritingTest, GivenPropertiesReplaceTheImagesOwn)
{
    QImage image = testImage();
    image.setText(QStringLiteral("Author"), QStringLiteral("someone"));
    const QByteArray own
        = ImageWriting::data(image, QMimeDatabase().mimeTypeForName(QStringLiteral("image/png")), 1.0);
    EXPECT_EQ(QImage::fromData(own).text(QStringLiteral("Author")), QStringLiteral("someone"));

    const QByteArray given
        = ImageWriting::data(image, QMimeDatabase().mimeTypeForName(QStringLiteral("image/png")), 1.0, {}, {},
            ImageProperties { { QStringLiteral("Title"), QStringLiteral("Chart") } });
    const QImage back = QImage::fromData(given);
    EXPECT_EQ(back.text(QStringLiteral("Title")), QStringLiteral("Chart"));
    EXPECT_TRUE(back.text(QStringLiteral("Author")).isEmpty());
}

TEST_F(ImageWritingTest, IncrementingPicksTheFirstFreeName)
{
    // The shortened name is always tried first.
    for (const auto &[existing, requested, written] : std::vector<std::tuple<QStringList, QString, QString>> {
             { {}, "Image.png", "Image.png" }, { { "Image.png" }, "Image.png", "Image (1).png" },
             { { "Image.png", "Image (1).png" }, "Image.png", "Image (2).png" },
             { { "Photo.png", "Photo (4).png" }, "Photo (4).png", "Photo (5).png" },
             { { "Photo (4).png" }, "Photo (4).png", "Photo.png" }, { { "notes" }, "notes", "notes (1)" },
             // A count in other decimal digits is counted on from too.
             { { "Photo.png", "Photo (\u0664).png" }, "Photo (\u0664).png", "Photo (5).png" } }) {
        QTemporaryDir dir;
        for (const QString &name : existing) {
            KitTesting::writeFile(dir.filePath(name), {});
        }
        const QUrl result = ImageWriting::incrementalUrl(QUrl::fromLocalFile(dir.filePath(requested)));
        EXPECT_EQ(result.toLocalFile(), dir.filePath(written)) << requested.toStdString();
    }

    KitTesting::writeFile(path(QStringLiteral("Image.png")), {});
    ImageWriting::write(testImage(), url(QStringLiteral("Image.png")), { .incrementingIfExists = true });
    EXPECT_EQ(QFile(path(QStringLiteral("Image.png"))).size(), 0);
    EXPECT_FALSE(QImage(path(QStringLiteral("Image (1).png"))).isNull());

    // A dangling link is an existing entry too: it stays, and no temporary file is left behind.
    ASSERT_TRUE(QFile::link(path(QStringLiteral("nowhere")), path(QStringLiteral("Shot.png"))));
    ImageWriting::write(testImage(), url(QStringLiteral("Shot.png")), { .incrementingIfExists = true });
    EXPECT_EQ(QFileInfo(path(QStringLiteral("Shot.png"))).symLinkTarget(), path(QStringLiteral("nowhere")));
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("nowhere"))));
    EXPECT_FALSE(QImage(path(QStringLiteral("Shot (1).png"))).isNull());
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Hidden | QDir::Files | QDir::System | QDir::NoDotAndDotDot),
        QStringList({ QStringLiteral("Image (1).png"), QStringLiteral("Image.png"),
            QStringLiteral("Shot (1).png"), QStringLiteral("Shot.png") }));
}

// A file system's refusal of a naming call: EINVAL for the no-replace rename, EPERM for links.
template<int error>
int refuse(const char *, const char *)
{
    errno = error;
    return -1;
}

TEST_F(ImageWritingTest, IncrementingWorksOnFileSystemsThatRefuseTheNoReplaceRenameOrLinks)
{
    const NoReplaceCalls system = setNoReplaceCalls({});
    const QStringList names { u"Image (1).png"_s, u"Image (2).png"_s, u"Image.png"_s };
    for (const auto &[way, calls] : std::vector<std::pair<const char *, NoReplaceCalls>> {
             { "no-replace rename", system }, { "link", { &refuse<EINVAL>, system.link } },
             { "exclusive create", { &refuse<EINVAL>, &refuse<EPERM> } } }) {
        QTemporaryDir dir;
        KitTesting::writeFile(dir.filePath(names.last()), {});
        setNoReplaceCalls(calls);
        for (int copy = 0; copy < 2; ++copy) {
            EXPECT_NO_THROW(ImageWriting::write(testImage(), QUrl::fromLocalFile(dir.filePath(names.last())),
                { .incrementingIfExists = true }))
                << way;
        }
        setNoReplaceCalls(system);
        EXPECT_EQ(
            QDir(dir.path()).entryList(QDir::Hidden | QDir::Files | QDir::System | QDir::NoDotAndDotDot),
            names)
            << way << ": nothing left behind";
        EXPECT_EQ(QFile(dir.filePath(names.last())).size(), 0) << way;
        for (const QString &copy : names.first(2)) {
            EXPECT_EQ(QImage(dir.filePath(copy)).size(), QSize(64, 48)) << way;
        }
    }
}

TEST_F(ImageWritingTest, FailuresAreTheirOwnErrorsAndWriteNothing)
{
    const QString access
        = QStringLiteral("Failed to access “%1”. The destination either doesn't exist or you "
                         "don't have permission to write to it.");
    for (const auto &[image, name, description] : std::vector<std::tuple<QImage, QString, QString>> {
             { testImage(), "picture.qqq", "The file type “qqq” is not supported." },
             { testImage(), "notes.txt", "Failed to get data of image." },
             { QImage(), "empty.png", "Could not get CGImage from image." },
             { testImage(), "missing/inner.png", access.arg(path(QStringLiteral("missing/inner.png"))) } }) {
        try {
            ImageWriting::write(image, url(name));
            ADD_FAILURE() << name.toStdString() << " was written";
        } catch (const Error &error) {
            EXPECT_EQ(error.localizedDescription(), description);
        }
    }
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot), QStringList());

    // Paths in the home directory are shown from "~".
    const QString home = realHomeDirectory().toLocalFile();
    const QUrl inHome = QUrl::fromLocalFile(QDir::cleanPath(home + QStringLiteral("/Pictures/a.png")));
    EXPECT_EQ(ImageWriteError(ImageWriteError::Kind::write, inHome).localizedDescription(),
        QStringLiteral("Failed to write image to “~/Pictures/a.png”"));
}

TEST(PixelFormatTest, DebugTextNamesTheTypeAndTheChannelOrder)
{
    for (const auto &[format, order] :
        std::vector<std::pair<PixelFormat, QString>> { { PixelFormat::argb, "ARGB" },
            { PixelFormat::rgba, "RGBA" }, { PixelFormat::bgra, "BGRA" }, { PixelFormat::abgr, "ABGR" } }) {
        EXPECT_EQ(debugDescription(format), "CGImage.PixelFormat(" + order + ")");
    }
}

TEST_F(ImageWritingTest, ScreenCaptureMarkWhereTheFileSystemKeepsIt)
{
    const QString base = TestSupport::directoryWithUserAttributes();
    ASSERT_FALSE(base.isEmpty()) << "no writable directory here keeps user extended attributes";
    const QTemporaryDir dir(QDir(base).filePath(QStringLiteral("capture-XXXXXX")));
    ASSERT_TRUE(dir.isValid());
    const QUrl target = QUrl::fromLocalFile(dir.filePath(QStringLiteral("capture.png")));
    ImageWriting::write(testImage(), target, { .markAsScreenCapture = true });
    ASSERT_FALSE(QImage(target.toLocalFile()).isNull());
    EXPECT_EQ(
        ExtendedAttributes(target).metadataValue(QStringLiteral("com.apple.metadata:kMDItemIsScreenCapture")),
        std::optional<bool>(true));
}

} // namespace
