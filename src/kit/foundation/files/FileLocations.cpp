#include "kit/foundation/files/FileLocations.h"

#include "kit/foundation/errors/CocoaError.h"
#include "kit/foundation/errors/ErrorReporting.h"
#include "kit/foundation/errors/ErrorUserInfoKeys.h"
#include "kit/foundation/errors/GeneralError.h"
#include "kit/foundation/files/UniqueTemporaryDirectories.h"
#include "kit/foundation/system/FoundationHooks.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

namespace {

QUrl directoryUrl(const QString &path)
{
    QString withSlash = path;
    if (!withSlash.endsWith(u'/')) {
        withSlash += u'/';
    }
    return QUrl::fromLocalFile(withSlash);
}

QString accountHome()
{
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(static_cast<size_t>(size > 0 ? size : 16384));
    struct passwd entry
    {
    };
    struct passwd *result = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &result) == 0 && result
        && result->pw_dir && result->pw_dir[0] != '\0') {
        return QFile::decodeName(result->pw_dir);
    }
    // Without an account entry the environment's home is the only answer left.
    return QDir::homePath();
}

} // namespace

QUrl systemDirectory(QStandardPaths::StandardLocation location)
{
    const QString path = QStandardPaths::writableLocation(location);
    if (!path.isEmpty()) {
        return directoryUrl(path);
    }
    std::fprintf(
        stderr, "Could not get system directory: no location of kind %d\n", static_cast<int>(location));
    // Everyone can write the temporary folder, so the place there is checked as the recordings'
    // folders are: one another user made first would get the program's data, and its deletion.
    const QString temporary = UniqueTemporaryDirectories::parentPath(
        systemTemporaryPath(), QString::number(static_cast<int>(location)));
    try {
        (void)UniqueTemporaryDirectories::openParent(temporary);
        return directoryUrl(temporary);
    } catch (const Error &error) {
        (void)reported(error.clone());
    }
    struct stat status
    {
    };
    if (::lstat(QFile::encodeName(temporary).constData(), &status) != 0 && errno == ENOENT) {
        // The temporary folder itself is missing: making anything there fails, naming it.
        return directoryUrl(temporary);
    }
    try {
        return directoryUrl(makeUniqueTemporaryDirectory().toLocalFile());
    } catch (const Error &error) {
        (void)reported(error.clone());
    }
    // Nowhere to keep anything: a place that cannot be made, rather than one someone else chose.
    return directoryUrl(QStringLiteral("/nonexistent"));
}

QUrl applicationDirectory(QStandardPaths::StandardLocation location)
{
    const QString path = QDir(systemDirectory(location).toLocalFile()).filePath(FoundationHooks::appName());
    if (!QDir().mkpath(path)) {
        (void)reported(GeneralError(QStringLiteral("Could not create the folder “%1”.").arg(path)));
    }
    return directoryUrl(path);
}

QUrl applicationSupportDirectory()
{
    static const QUrl directory = applicationDirectory(QStandardPaths::GenericDataLocation);
    return directory;
}

QUrl applicationCacheDirectory()
{
    static const QUrl directory = applicationDirectory(QStandardPaths::GenericCacheLocation);
    return directory;
}

QUrl realHomeDirectory()
{
    static const QUrl directory = directoryUrl(accountHome());
    return directory;
}

QString systemTemporaryPath()
{
    const QString named = qEnvironmentVariable("TMPDIR");
    return QDir::isAbsolutePath(named) ? QDir::cleanPath(named) : QStringLiteral("/tmp");
}

const QUrl &rootDirectory()
{
    static const QUrl root = QUrl::fromLocalFile(QStringLiteral("/"));
    return root;
}

QUrl writeTextToTemporaryFile(const QString &name, const QMimeType &contentType, const QString &text)
{
    const QDir directory(uniqueTemporaryDirectory().toLocalFile());
    const QString suffix = contentType.preferredSuffix();
    const QString fileName = suffix.isEmpty() || name.endsWith(u'.' + suffix) ? name : name + u'.' + suffix;
    const QString path = directory.filePath(fileName);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.flush()) {
        throw CocoaError(CocoaError::fileWriteUnknown,
            { { NSFilePathErrorKey, path },
                { NSLocalizedDescriptionKey,
                    QStringLiteral("Could not write “%1”: %2").arg(fileName, file.errorString()) } });
    }
    return QUrl::fromLocalFile(path);
}

void quitAppAsync()
{
    if (auto *application = QCoreApplication::instance()) {
        QMetaObject::invokeMethod(
            application, [] { FoundationHooks::terminate(); }, Qt::QueuedConnection);
    }
}

QString abbreviatingHome(const QString &path)
{
    QString home = realHomeDirectory().toLocalFile();
    while (home.size() > 1 && home.endsWith(u'/')) {
        home.chop(1);
    }
    if (home.size() > 1 && (path == home || path.startsWith(home + u'/'))) {
        return u'~' + path.mid(home.size());
    }
    return path;
}
