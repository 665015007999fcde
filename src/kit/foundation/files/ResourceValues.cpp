#include "kit/foundation/files/ResourceValues.h"

#include <QFileInfo>
#include <QMimeDatabase>

namespace {

bool isDefault(const QMimeType &type)
{
    return !type.isValid() || type.isDefault();
}

} // namespace

std::optional<QVariant> resourceValue(const QUrl &url, URLResourceKey key)
{
    if (!url.isLocalFile()) {
        return std::nullopt;
    }
    const QFileInfo info(url.toLocalFile());
    if (!info.exists()) {
        return std::nullopt;
    }
    switch (key) {
    case URLResourceKey::fileSize:
        return info.isFile() ? std::optional(QVariant(static_cast<double>(info.size()))) : std::nullopt;
    case URLResourceKey::isDirectory:
        return QVariant(info.isDir());
    case URLResourceKey::isWritable:
        return QVariant(info.isWritable());
    case URLResourceKey::isPackage:
        return QVariant(false);
    case URLResourceKey::isApplication:
        return QVariant(info.isFile()
            && QMimeDatabase().mimeTypeForFile(info).inherits(QStringLiteral("application/x-desktop")));
    case URLResourceKey::localizedTypeDescription: {
        const QMimeType type = QMimeDatabase().mimeTypeForFile(info);
        return type.isValid() ? std::optional(QVariant(type.comment())) : std::nullopt;
    }
    }
    return std::nullopt;
}

bool resourceValueBool(const QUrl &url, URLResourceKey key, bool defaultValue)
{
    const auto value = resourceValue(url, key);
    return value && value->typeId() == QMetaType::Bool ? value->toBool() : defaultValue;
}

std::optional<QString> resourceValueString(const QUrl &url, URLResourceKey key)
{
    const auto value = resourceValue(url, key);
    if (!value || value->typeId() != QMetaType::QString) {
        return std::nullopt;
    }
    return value->toString();
}

std::optional<QMimeType> contentType(const QUrl &url)
{
    const QMimeDatabase database;
    const QString path = url.isLocalFile() ? url.toLocalFile() : url.path();
    if (url.isLocalFile() && QFileInfo::exists(path)) {
        const QMimeType type = database.mimeTypeForFile(path);
        if (!isDefault(type)) {
            return type;
        }
    }
    const QMimeType byExtension = database.mimeTypeForFile(path, QMimeDatabase::MatchExtension);
    if (isDefault(byExtension)) {
        return std::nullopt;
    }
    return byExtension;
}

QMimeType ContentTypes::mpeg4Audio()
{
    return QMimeDatabase().mimeTypeForName(QStringLiteral("audio/mp4"));
}

QMimeType ContentTypes::wav()
{
    return QMimeDatabase().mimeTypeForName(QStringLiteral("audio/x-wav"));
}
