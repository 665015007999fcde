#pragma once

#include <QByteArray>
#include <QFlags>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

// Extended attributes keep the names the program has always used ("com.apple.metadata:…");
// on disk each lives in the `user.` namespace, the one a user's files may carry, and every
// operation here sees only that namespace.
//
// The path-level functions take a file-system path and throw Errno on failure
// (Errno::noSuchAttribute when the attribute does not exist).
QByteArray readExtendedAttribute(const QByteArray &path, const QString &name);
void writeExtendedAttribute(const QByteArray &path, const QString &name, const QByteArray &data);
// The names, each followed by a NUL byte, in the order the file system lists them.
QByteArray listExtendedAttributeNames(const QByteArray &path);

// Hints stored with an attribute, folded into its name as a "#" suffix.
enum class ExtendedAttributeFlag {
    noExport = 1,
    contentDependent = 2,
    neverPreserve = 4,
    syncable = 8,
};
Q_DECLARE_FLAGS(ExtendedAttributeFlags, ExtendedAttributeFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(ExtendedAttributeFlags)

QString extendedAttributeNameWithFlags(const QString &name, ExtendedAttributeFlags flags);
QString extendedAttributeNameWithoutFlags(const QString &name);

// The attribute names of a local file, flag suffixes removed. Throws CocoaError
// fileNoSuchFile for a URL that is not a local file.
QStringList extendedAttributeNames(const QUrl &url);
// Creates or replaces one attribute; the flags go into the name when `mergeFlagsIntoName`.
void setExtendedAttribute(const QUrl &url, const QByteArray &data, const QString &name,
    ExtendedAttributeFlags flags = {}, bool mergeFlagsIntoName = true);
// The Boolean metadata attribute "com.apple.metadata:" + `name`; nothing when it is missing.
std::optional<bool> metadataExtendedAttribute(const QUrl &url, const QString &name);
// The Boolean a desktop-wide metadata index keeps for the file under `name`. Linux desktops
// keep no such index that every file is entered in, so the answer is always none and callers
// read metadataExtendedAttribute instead.
std::optional<bool> spotlightAttribute(const QUrl &url, const QString &name);

// The extended attributes of one file.
class ExtendedAttributes
{
public:
    static constexpr char metadataPrefix[] = "com.apple.metadata:";

    explicit ExtendedAttributes(QUrl url);

    const QUrl &url() const { return m_url; }

    QByteArray get(const QString &name) const;
    // The Boolean held by the metadata attribute `key` (the full name); nothing when the
    // attribute is missing. A value that is not a Boolean fails as corrupt.
    std::optional<bool> metadataValue(const QString &key) const;

    // Store a text or a Boolean as a binary property list in the metadata attribute
    // "com.apple.metadata:" + `key`.
    static void setMetadataString(const QString &key, const QString &value, const QUrl &url);
    static void setMetadataBool(const QString &key, bool value, const QUrl &url);

private:
    QByteArray localPath() const;

    QUrl m_url;
};
