#pragma once

#include "kit/foundation/errors/Error.h"

#include <QImage>
#include <QMap>
#include <QMimeType>
#include <QUrl>

#include <optional>

// Why an image could not be written.
class ImageWriteError : public Error
{
public:
    enum class Kind { unsupportedFileType, destination, write };

    ImageWriteError(Kind kind, QUrl url);

    Kind kind() const { return m_kind; }
    const QUrl &url() const { return m_url; }

    QString domain() const override { return QStringLiteral("Tapewick.ImageWriteError"); }
    qint64 code() const override { return static_cast<qint64>(m_kind); }
    QVariantMap userInfo() const override { return {}; }
    QString localizedDescription() const override;
    ErrorPtr clone() const override { return std::make_shared<ImageWriteError>(*this); }
    [[noreturn]] void raise() const override { throw *this; }

private:
    Kind m_kind;
    QUrl m_url;
};

// The order of the channels in a pixel.
enum class PixelFormat { argb, rgba, bgra, abgr };
// "CGImage.PixelFormat(ARGB)" and so on: the channel order in capitals, nothing after it.
QString debugDescription(PixelFormat format);

// Text entries written into the file with the image (where the format keeps them).
using ImageProperties = QMap<QString, QString>;

struct ImageWriteOptions
{
    // Writes "Name (1).png", "Name (2).png"… instead of replacing an existing file.
    bool incrementingIfExists = false;
    // 0 (smallest) to 1 (best) for the formats that compress with loss.
    double compressionFactor = 1.0;
    // The longer side is scaled down to this many pixels when it is longer.
    std::optional<int> maxPixelSize = std::nullopt;
    // Dots per inch stored in the file; 72 (the default resolution) stores nothing of its own.
    std::optional<int> dpi = std::nullopt;
    bool markAsScreenCapture = false;
};

namespace ImageWriting {

// The image type that the file name's extension names; none when it names no type.
std::optional<QMimeType> fileType(const QUrl &url);

// Writes the image as the type its file name names, atomically. Throws ImageWriteError (an
// unknown type, a directory that cannot be written to, a failed write) or an error of its own
// for an empty image or a type that has no image encoder. Marking it as a screen capture is
// best effort: a file system without extended attributes still gets the image.
void write(const QImage &image, const QUrl &url, const ImageWriteOptions &options = {});
void write(
    const QImage &image, const QUrl &url, const QMimeType &type, const ImageWriteOptions &options = {});

// The encoded image. Without `properties` the image's own text entries are written.
QByteArray data(const QImage &image, const QMimeType &type, double compressionFactor,
    std::optional<int> maxPixelSize = {}, std::optional<int> dpi = {},
    const std::optional<ImageProperties> &properties = {});

// The first of "Name.ext", "Name (1).ext", "Name (2).ext"… with no file (or link) yet. A name that already
// ends in " (n)" is first tried without it, then counted on from n (written in decimal digits of any
// script).
QUrl incrementalUrl(const QUrl &url);

} // namespace ImageWriting
