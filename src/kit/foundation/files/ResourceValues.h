#pragma once

#include <QMimeType>
#include <QUrl>
#include <QVariant>

#include <optional>

// Facts about the item at a location, read from the file system when asked.
enum class URLResourceKey {
    fileSize, // double, regular files only
    isDirectory, // bool
    isWritable, // bool
    isPackage, // bool; this system has no bundle directories
    isApplication, // bool; a desktop entry file
    localizedTypeDescription, // QString
};

// The value for the key; nothing when the item is missing or the key has no value for it.
std::optional<QVariant> resourceValue(const QUrl &url, URLResourceKey key);
// The Boolean value for the key, or `defaultValue` when it cannot be read.
bool resourceValueBool(const QUrl &url, URLResourceKey key, bool defaultValue = false);
std::optional<QString> resourceValueString(const QUrl &url, URLResourceKey key);

// The content type of the file: from its contents when it exists, else from its extension;
// nothing when neither tells.
std::optional<QMimeType> contentType(const QUrl &url);

// The two types a recording is written in.
class ContentTypes
{
public:
    static QMimeType mpeg4Audio(); // .m4a
    static QMimeType wav(); // .wav
};
