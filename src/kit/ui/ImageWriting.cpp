#include "kit/ui/ImageWriting.h"

#include "kit/foundation/errors/GeneralError.h"
#include "kit/foundation/errors/NSError.h"
#include "kit/foundation/files/ExtendedAttributes.h"
#include "kit/foundation/files/FileLocations.h"
#include "kit/foundation/files/FileOperations.h"
#include "kit/foundation/files/ResourceValues.h"
#include "kit/foundation/text/KwRegex.h"

#include <QBuffer>
#include <QColorSpace>
#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QMimeDatabase>
#include <QSaveFile>
#include <QTemporaryFile>

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <limits>

namespace {

constexpr int defaultDpi = 72;
constexpr double metresPerInch = 0.0254;

QString displayPath(const QUrl &url)
{
    return abbreviatingHome(url.toLocalFile());
}

GeneralError encodingFailed()
{
    return GeneralError(QStringLiteral("Failed to get data of image."));
}

} // namespace

ImageWriteError::ImageWriteError(Kind kind, QUrl url)
    : m_kind(kind)
    , m_url(std::move(url))
{
    setWhat(localizedDescription());
}

QString ImageWriteError::localizedDescription() const
{
    switch (m_kind) {
    case Kind::unsupportedFileType: {
        const QString type = resourceValueString(m_url, URLResourceKey::localizedTypeDescription)
                                 .value_or(QFileInfo(m_url.path()).suffix());
        return QStringLiteral("The file type “%1” is not supported.").arg(type);
    }
    case Kind::destination:
        return QStringLiteral("Failed to access “%1”. The destination either doesn't exist or you don't have "
                              "permission to write to it.")
            .arg(displayPath(m_url));
    case Kind::write:
        return QStringLiteral("Failed to write image to “%1”").arg(displayPath(m_url));
    }
    return {};
}

QString debugDescription(PixelFormat format)
{
    const auto described
        = [](const char *name) { return QStringLiteral("CGImage.PixelFormat(%1)").arg(QLatin1String(name)); };
    switch (format) {
    case PixelFormat::argb:
        return described("ARGB");
    case PixelFormat::rgba:
        return described("RGBA");
    case PixelFormat::bgra:
        return described("BGRA");
    case PixelFormat::abgr:
        return described("ABGR");
    }
    return {};
}

namespace {

constexpr int freeNameAttempts = 100;

// The number written in decimal digits of any script; 0 when it is too large to count on from.
qint64 decimalValue(const QString &digits)
{
    qint64 value = 0;
    for (const char32_t digit : digits.toUcs4()) {
        const int next = QChar::digitValue(digit);
        if (next < 0 || value > (std::numeric_limits<qint64>::max() - next) / 10) {
            return 0;
        }
        value = value * 10 + next;
    }
    return value;
}

enum class Naming { moved, created, taken, failed };

Naming createExclusively(const QByteArray &name, const QByteArray &encoded)
{
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        return errno == EEXIST ? Naming::taken : Naming::failed;
    }
    qsizetype done = 0;
    while (done < encoded.size()) {
        const ssize_t count
            = ::write(fd, encoded.constData() + done, static_cast<size_t>(encoded.size() - done));
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            break;
        }
        done += count;
    }
    const bool complete = done == encoded.size() && ::fsync(fd) == 0;
    if (::close(fd) != 0 || !complete) {
        ::unlink(name.constData());
        return Naming::failed;
    }
    return Naming::created;
}

// Gives the written file `name` without ever replacing what is there; where the file system can
// neither refuse to replace nor link, a new file is created exclusively under the name.
Naming placeUnder(const QByteArray &written, const QByteArray &name, const QByteArray &encoded)
{
    switch (renameNoReplace(QFile::decodeName(written), QFile::decodeName(name))) {
    case 0:
        return Naming::moved;
    case EEXIST:
        return Naming::taken;
    case EOPNOTSUPP:
        return createExclusively(name, encoded);
    default:
        return Naming::failed;
    }
}

// The complete file takes the first free name in one step that never replaces: a file that
// appears under the name found free is skipped for the next one, not overwritten.
QUrl writeUnderFreeName(const QByteArray &encoded, const QUrl &url)
{
    const QString directory = QFileInfo(url.toLocalFile()).path();
    QTemporaryFile file(QDir(directory).filePath(QStringLiteral(".image-XXXXXX")));
    if (!file.open()) {
        throw ImageWriteError(ImageWriteError::Kind::destination, url);
    }
    if (file.write(encoded) != encoded.size() || !file.flush() || ::fsync(file.handle()) != 0) {
        throw ImageWriteError(ImageWriteError::Kind::write, url);
    }
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    const QByteArray written = QFile::encodeName(file.fileName());
    for (int attempt = 0; attempt < freeNameAttempts; ++attempt) {
        const QUrl target = ImageWriting::incrementalUrl(url);
        switch (placeUnder(written, QFile::encodeName(target.toLocalFile()), encoded)) {
        case Naming::moved:
            file.setAutoRemove(false);
            return target;
        case Naming::created:
            return target;
        case Naming::taken:
            continue;
        case Naming::failed:
            throw ImageWriteError(ImageWriteError::Kind::write, target);
        }
    }
    throw ImageWriteError(ImageWriteError::Kind::destination, url);
}

} // namespace

namespace ImageWriting {

std::optional<QMimeType> fileType(const QUrl &url)
{
    // The name decides, not what a file already there holds: overwriting a PNG as "x.jpg" makes a JPEG.
    const QMimeType type = QMimeDatabase().mimeTypeForFile(url.toLocalFile(), QMimeDatabase::MatchExtension);
    if (!type.isValid() || type.isDefault()) {
        return std::nullopt;
    }
    return type;
}

void write(const QImage &image, const QUrl &url, const ImageWriteOptions &options)
{
    const std::optional<QMimeType> type = fileType(url);
    if (!type) {
        throw ImageWriteError(ImageWriteError::Kind::unsupportedFileType, url);
    }
    write(image, url, *type, options);
}

void write(const QImage &image, const QUrl &url, const QMimeType &type, const ImageWriteOptions &options)
{
    if (image.isNull()) {
        throw NSError::appError(QStringLiteral("Could not get CGImage from image."));
    }
    const QByteArray encoded
        = data(image, type, options.compressionFactor, options.maxPixelSize, options.dpi);
    const QUrl target = options.incrementingIfExists ? writeUnderFreeName(encoded, url) : url;
    if (!options.incrementingIfExists) {
        QSaveFile file(target.toLocalFile());
        if (!file.open(QIODevice::WriteOnly)) {
            throw ImageWriteError(ImageWriteError::Kind::destination, target);
        }
        if (file.write(encoded) != encoded.size() || !file.commit()) {
            throw ImageWriteError(ImageWriteError::Kind::write, target);
        }
    }
    if (options.markAsScreenCapture) {
        try {
            ExtendedAttributes::setMetadataBool(QStringLiteral("kMDItemIsScreenCapture"), true, target);
        } catch (const std::exception &) {
            // The image is what was asked for; the mark only helps searches find it.
        }
    }
}

QByteArray data(const QImage &image, const QMimeType &type, double compressionFactor,
    std::optional<int> maxPixelSize, std::optional<int> dpi, const std::optional<ImageProperties> &properties)
{
    const QList<QByteArray> formats = QImageWriter::imageFormatsForMimeType(type.name().toLatin1());
    if (formats.isEmpty() || image.isNull()) {
        throw encodingFailed();
    }
    QImage encoded = image;
    if (maxPixelSize && *maxPixelSize > 0 && std::max(encoded.width(), encoded.height()) > *maxPixelSize) {
        encoded = encoded.scaled(*maxPixelSize, *maxPixelSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    if (dpi && *dpi != defaultDpi && *dpi > 0) {
        const int dotsPerMetre = static_cast<int>(std::lround(*dpi / metresPerInch));
        encoded.setDotsPerMeterX(dotsPerMetre);
        encoded.setDotsPerMeterY(dotsPerMetre);
    }

    if (properties) {
        // Given entries replace the image's own; a copy made from the bare pixels carries none.
        QImage bare(
            encoded.constBits(), encoded.width(), encoded.height(), encoded.bytesPerLine(), encoded.format());
        bare.setColorTable(encoded.colorTable());
        bare.setDotsPerMeterX(encoded.dotsPerMeterX());
        bare.setDotsPerMeterY(encoded.dotsPerMeterY());
        bare.setColorSpace(encoded.colorSpace());
        encoded = bare.copy();
        for (auto it = properties->begin(); it != properties->end(); ++it) {
            encoded.setText(it.key(), it.value());
        }
    }

    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, formats.first());
    // The factor is for lossy formats; the PNG writer would read it as its zlib level, with 1.0
    // as no compression at all.
    if (formats.first() != "png") {
        writer.setQuality(static_cast<int>(std::lround(std::clamp(compressionFactor, 0.0, 1.0) * 100)));
    }
    if (!writer.write(encoded)) {
        throw encodingFailed();
    }
    return bytes;
}

QUrl incrementalUrl(const QUrl &url)
{
    const QFileInfo info(url.toLocalFile());
    const QString directory = info.path();
    const QString extension = info.suffix();
    QString base = info.completeBaseName();
    if (extension.isEmpty()) {
        base = info.fileName();
    }
    auto withName = [&](const QString &name) {
        return QUrl::fromLocalFile(
            QDir(directory).filePath(extension.isEmpty() ? name : name + u'.' + extension));
    };

    static const KwRegex counted(QStringLiteral(" \\((\\d+)\\)$"));
    qint64 counter = 0;
    QUrl candidate = url;
    if (const std::optional<KwRegex::Match> match = counted.firstMatch(base)) {
        counter = decimalValue(match->groups().constFirst().value);
        base.truncate(match->range().lowerBound);
        candidate = withName(base);
    }
    // A dangling link takes a name too.
    while (QFileInfo(candidate.toLocalFile()).exists() || QFileInfo(candidate.toLocalFile()).isSymLink()) {
        ++counter;
        candidate = withName(QStringLiteral("%1 (%2)").arg(base).arg(counter));
    }
    return candidate;
}

} // namespace ImageWriting
