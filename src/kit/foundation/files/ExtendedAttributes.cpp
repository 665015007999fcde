#include "kit/foundation/files/ExtendedAttributes.h"

#include "kit/foundation/errors/CocoaError.h"
#include "kit/foundation/errors/Errno.h"
#include "kit/foundation/files/PropertyList.h"

#include <QFile>

#include <sys/xattr.h>

#include <array>
#include <cerrno>

namespace {

constexpr char userNamespace[] = "user.";
// Attributes can change between asking their size and reading them.
constexpr int sizeRaceAttempts = 8;

const std::array<std::pair<ExtendedAttributeFlag, QChar>, 4> &flagLetters()
{
    static const std::array<std::pair<ExtendedAttributeFlag, QChar>, 4> letters { {
        { ExtendedAttributeFlag::noExport, u'P' },
        { ExtendedAttributeFlag::contentDependent, u'C' },
        { ExtendedAttributeFlag::neverPreserve, u'N' },
        { ExtendedAttributeFlag::syncable, u'S' },
    } };
    return letters;
}

QByteArray systemName(const QString &name)
{
    return QByteArray(userNamespace) + name.toUtf8();
}

[[noreturn]] void throwErrno(int code, const QByteArray &path)
{
    if (code == ENOTSUP) {
        throw Errno(code,
            QStringLiteral("The file system of “%1” does not support extended attributes.")
                .arg(QFile::decodeName(path)));
    }
    throw Errno(code);
}

// Runs a size-then-fill pair of calls until the buffer fits.
template<typename Call>
QByteArray readSized(const QByteArray &path, Call call)
{
    for (int attempt = 0; attempt < sizeRaceAttempts; ++attempt) {
        const ssize_t size = call(nullptr, 0);
        if (size < 0) {
            throwErrno(errno, path);
        }
        if (size == 0) {
            return QByteArray("");
        }
        QByteArray buffer(static_cast<qsizetype>(size), '\0');
        const ssize_t read = call(buffer.data(), buffer.size());
        if (read >= 0) {
            buffer.truncate(static_cast<qsizetype>(read));
            return buffer;
        }
        if (errno != ERANGE) {
            throwErrno(errno, path);
        }
    }
    throwErrno(ERANGE, path);
}

QByteArray requireLocalPath(const QUrl &url)
{
    if (!url.isLocalFile()) {
        throw CocoaError(CocoaError::fileNoSuchFile);
    }
    return QFile::encodeName(url.toLocalFile());
}

void setMetadata(const QString &key, const QVariant &value, const QUrl &url)
{
    const QString name = QString::fromLatin1(ExtendedAttributes::metadataPrefix) + key;
    requireLocalPath(url);
    setExtendedAttribute(url, PropertyList::encodeBinary(value), name, {}, false);
}

} // namespace

QByteArray readExtendedAttribute(const QByteArray &path, const QString &name)
{
    const QByteArray attribute = systemName(name);
    return readSized(path, [&](char *buffer, size_t size) {
        return ::getxattr(path.constData(), attribute.constData(), buffer, size);
    });
}

void writeExtendedAttribute(const QByteArray &path, const QString &name, const QByteArray &data)
{
    const QByteArray attribute = systemName(name);
    if (::setxattr(
            path.constData(), attribute.constData(), data.constData(), static_cast<size_t>(data.size()), 0)
        < 0) {
        throwErrno(errno, path);
    }
}

QByteArray listExtendedAttributeNames(const QByteArray &path)
{
    const QByteArray all = readSized(
        path, [&](char *buffer, size_t size) { return ::listxattr(path.constData(), buffer, size); });
    QByteArray names;
    for (const QByteArray &entry : all.split('\0')) {
        if (entry.startsWith(userNamespace) && entry.size() > qsizetype(sizeof userNamespace - 1)) {
            names += entry.mid(sizeof userNamespace - 1);
            names += '\0';
        }
    }
    return names;
}

QString extendedAttributeNameWithFlags(const QString &name, ExtendedAttributeFlags flags)
{
    QString suffix;
    for (const auto &[flag, letter] : flagLetters()) {
        if (flags.testFlag(flag)) {
            suffix += letter;
        }
    }
    return suffix.isEmpty() ? name : name + u'#' + suffix;
}

QString extendedAttributeNameWithoutFlags(const QString &name)
{
    const qsizetype hash = name.lastIndexOf(u'#');
    if (hash < 0 || hash == name.size() - 1) {
        return name;
    }
    for (const QChar character : QStringView(name).mid(hash + 1)) {
        const bool isFlag = std::any_of(flagLetters().begin(), flagLetters().end(),
            [character](const auto &entry) { return entry.second == character; });
        if (!isFlag) {
            return name;
        }
    }
    return name.left(hash);
}

QStringList extendedAttributeNames(const QUrl &url)
{
    const QByteArray buffer = listExtendedAttributeNames(requireLocalPath(url));
    QStringList names;
    for (const QByteArray &entry : buffer.split('\0')) {
        if (!entry.isEmpty()) {
            names.append(extendedAttributeNameWithoutFlags(QString::fromUtf8(entry)));
        }
    }
    return names;
}

void setExtendedAttribute(const QUrl &url, const QByteArray &data, const QString &name,
    ExtendedAttributeFlags flags, bool mergeFlagsIntoName)
{
    const QByteArray path = requireLocalPath(url);
    writeExtendedAttribute(
        path, mergeFlagsIntoName ? extendedAttributeNameWithFlags(name, flags) : name, data);
}

std::optional<bool> metadataExtendedAttribute(const QUrl &url, const QString &name)
{
    return ExtendedAttributes(url).metadataValue(
        QString::fromLatin1(ExtendedAttributes::metadataPrefix) + name);
}

std::optional<bool> spotlightAttribute(const QUrl &, const QString &)
{
    return std::nullopt;
}

ExtendedAttributes::ExtendedAttributes(QUrl url)
    : m_url(std::move(url))
{ }

QByteArray ExtendedAttributes::localPath() const
{
    return requireLocalPath(m_url);
}

QByteArray ExtendedAttributes::get(const QString &name) const
{
    return readExtendedAttribute(localPath(), name);
}

std::optional<bool> ExtendedAttributes::metadataValue(const QString &key) const
{
    const QByteArray path = localPath();
    QByteArray bytes;
    try {
        bytes = readExtendedAttribute(path, key);
    } catch (const Errno &error) {
        if (error.rawValue() == Errno::noSuchAttribute) {
            return std::nullopt;
        }
        throw;
    }
    const QVariant value = PropertyList::decode(bytes);
    if (value.typeId() != QMetaType::Bool) {
        throw CocoaError(CocoaError::propertyListReadCorrupt);
    }
    return value.toBool();
}

void ExtendedAttributes::setMetadataString(const QString &key, const QString &value, const QUrl &url)
{
    setMetadata(key, value, url);
}

void ExtendedAttributes::setMetadataBool(const QString &key, bool value, const QUrl &url)
{
    setMetadata(key, value, url);
}
