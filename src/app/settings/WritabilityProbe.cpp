#include "app/settings/WritabilityProbe.h"

#include "app/settings/SettingsTexts.h"
#include "kit/foundation/errors/CocoaError.h"
#include "kit/foundation/errors/Errno.h"
#include "kit/foundation/errors/ErrorUserInfoKeys.h"
#include "kit/foundation/files/ResourceValues.h"
#include "kit/foundation/files/UniqueTemporaryDirectories.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QUuid>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace WritabilityProbe {

namespace {

// Creates the file only when nothing stands at the path, so no existing item can be written over.
ErrorPtr createAndRemove(const QString &path)
{
    const QByteArray encoded = QFile::encodeName(path);
    const int descriptor = ::open(encoded.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (descriptor < 0) {
        return std::make_shared<Errno>(errno);
    }
    ::close(descriptor);
    // A probe file left behind is harmless litter; nothing to tell the user.
    ::unlink(encoded.constData());
    return {};
}

QString uniqueNameIn(const QString &directory)
{
    return QDir(directory).filePath(
        QStringLiteral(".write-probe-%1").arg(QUuid::createUuid().toString(QUuid::WithoutBraces)));
}

ErrorPtr refusal(CocoaError::Code code, const QString &description, const QString &suggestion)
{
    return std::make_shared<CocoaError>(code,
        QVariantMap { { QString::fromLatin1(NSLocalizedDescriptionKey), description },
            { QString::fromLatin1(NSLocalizedRecoverySuggestionErrorKey), suggestion } });
}

} // namespace

const ErrorPtr &readOnlyDirectoryError()
{
    static const ErrorPtr error = refusal(CocoaError::fileWriteVolumeReadOnly,
        SettingsTexts::readOnlyDirectory, SettingsTexts::readOnlyDirectorySuggestion);
    return error;
}

const ErrorPtr &unnamableDirectoryError()
{
    static const ErrorPtr error = refusal(CocoaError::fileWriteInvalidFileName,
        SettingsTexts::unnamableDirectory, SettingsTexts::unnamableDirectorySuggestion);
    return error;
}

const ErrorPtr &temporaryDirectoryError()
{
    static const ErrorPtr error = refusal(CocoaError::fileWriteNoPermission,
        SettingsTexts::temporaryDirectory, SettingsTexts::temporaryDirectorySuggestion);
    return error;
}

ErrorPtr checkName(const QUrl &url)
{
    if (!url.isLocalFile()) {
        return {};
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    (void)utf8.decode(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
    const QString path = url.toLocalFile();
    if (utf8.hasError() || (path.contains(QChar::ReplacementCharacter) && !QFileInfo::exists(path))) {
        return unnamableDirectoryError();
    }
    return {};
}

ErrorPtr probe(const QUrl &url)
{
    if (!url.isLocalFile()) {
        return std::make_shared<CocoaError>(CocoaError::fileNoSuchFile);
    }
    QString path = url.toLocalFile();
    while (path.size() > 1 && path.endsWith(QLatin1Char('/'))) {
        path.chop(1);
    }
    const QFileInfo info(path);
    if (info.isDir()) {
        return createAndRemove(uniqueNameIn(path));
    }
    // A dangling symbolic link counts as an item too: writing through it would create its target.
    if (info.exists() || info.isSymLink()) {
        return createAndRemove(uniqueNameIn(info.absolutePath()));
    }
    return createAndRemove(path);
}

ErrorPtr check(const QUrl &url)
{
    if (ErrorPtr misnamed = checkName(url)) {
        return misnamed;
    }
    if (url.isLocalFile() && UniqueTemporaryDirectories::isInside(url.toLocalFile())) {
        return temporaryDirectoryError();
    }
    if (resourceValueBool(url, URLResourceKey::isDirectory)) {
        return resourceValueBool(url, URLResourceKey::isWritable) ? ErrorPtr() : readOnlyDirectoryError();
    }
    return probe(url);
}

} // namespace WritabilityProbe
