#include "UserAttributes.h"

#include "kit/foundation/files/ExtendedAttributes.h"
#include "kit/foundation/files/FileLocations.h"
#include "kit/ui/ImageWriting.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QMimeDatabase>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

namespace {

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
    void touch(const QString &name) const
    {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }

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

TEST_F(ImageWritingTest, SizeAndResolutionOptions)
{
    QImage fine = testImage(200, 100);
    fine.setDotsPerMeterX(std::lround(300 / 0.0254));
    fine.setDotsPerMeterY(std::lround(300 / 0.0254));
    struct Case
    {
        std::optional<int> maxPixelSize;
        std::optional<int> dpi;
        QSize size;
        int readDpi;
    };
    for (const Case &c : { Case { 50, std::nullopt, { 50, 25 }, 300 }, Case { 500, 96, { 200, 100 }, 96 },
             Case { std::nullopt, 72, { 200, 100 }, 300 } }) { // 72 adds no resolution of its own
        const QUrl target = url(QStringLiteral("sized.png"));
        ImageWriting::write(fine, target, { .maxPixelSize = c.maxPixelSize, .dpi = c.dpi });
        const QImage back(target.toLocalFile());
        EXPECT_EQ(back.size(), c.size);
        EXPECT_EQ(dpiOf(back), c.readDpi);
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
    struct Case
    {
        QStringList existing;
        QString requested;
        QString written;
    };
    const std::vector<Case> cases {
        { {}, QStringLiteral("Image.png"), QStringLiteral("Image.png") },
        { { QStringLiteral("Image.png") }, QStringLiteral("Image.png"), QStringLiteral("Image (1).png") },
        { { QStringLiteral("Image.png"), QStringLiteral("Image (1).png") }, QStringLiteral("Image.png"),
            QStringLiteral("Image (2).png") },
        { { QStringLiteral("Photo.png"), QStringLiteral("Photo (4).png") }, QStringLiteral("Photo (4).png"),
            QStringLiteral("Photo (5).png") },
        // The shortened name is always tried first.
        { { QStringLiteral("Photo (4).png") }, QStringLiteral("Photo (4).png"), QStringLiteral("Photo.png") },
        { { QStringLiteral("notes") }, QStringLiteral("notes"), QStringLiteral("notes (1)") },
    };
    for (const Case &c : cases) {
        QTemporaryDir dir;
        for (const QString &name : c.existing) {
            QFile file(dir.filePath(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
        const QUrl result = ImageWriting::incrementalUrl(QUrl::fromLocalFile(dir.filePath(c.requested)));
        EXPECT_EQ(result.toLocalFile(), dir.filePath(c.written)) << c.requested.toStdString();
    }

    touch(QStringLiteral("Image.png"));
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

TEST_F(ImageWritingTest, FailuresAreTheirOwnErrorsAndWriteNothing)
{
    struct Case
    {
        QImage image;
        QString name;
        QString description;
    };
    for (const Case &c :
        { Case { testImage(), QStringLiteral("picture.qqq"),
              QStringLiteral("The file type “qqq” is not supported.") },
            Case { testImage(), QStringLiteral("notes.txt"), QStringLiteral("Failed to get data of image.") },
            Case {
                QImage(), QStringLiteral("empty.png"), QStringLiteral("Could not get CGImage from image.") },
            Case { testImage(), QStringLiteral("missing/inner.png"),
                QStringLiteral(
                    "Failed to access “%1”. The destination either doesn't exist or you don't have "
                    "permission to write to it.")
                    .arg(path(QStringLiteral("missing/inner.png"))) } }) {
        try {
            ImageWriting::write(c.image, url(c.name));
            ADD_FAILURE() << c.name.toStdString() << " was written";
        } catch (const Error &error) {
            EXPECT_EQ(error.localizedDescription(), c.description);
        }
    }
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot), QStringList());
}

TEST(ImageWriteErrorTest, DescriptionsShortenTheHomeDirectory)
{
    const QString home = realHomeDirectory().toLocalFile();
    const QUrl inHome = QUrl::fromLocalFile(QDir::cleanPath(home + QStringLiteral("/Pictures/a.png")));
    EXPECT_EQ(ImageWriteError(ImageWriteError::Kind::write, inHome).localizedDescription(),
        QStringLiteral("Failed to write image to “~/Pictures/a.png”"));
    EXPECT_EQ(
        ImageWriteError(ImageWriteError::Kind::destination, QUrl::fromLocalFile(QStringLiteral("/srv/a.png")))
            .localizedDescription(),
        QStringLiteral(
            "Failed to access “/srv/a.png”. The destination either doesn't exist or you don't have "
            "permission to write to it."));
    EXPECT_EQ(debugDescription(PixelFormat::argb), QStringLiteral("PixelFormat(ARGB)"));
    EXPECT_EQ(debugDescription(PixelFormat::abgr), QStringLiteral("PixelFormat(ABGR)"));
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
