#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/xattr.h>

namespace TestSupport {

// A directory whose file system keeps user extended attributes (tmpfs may not): the build tree,
// the home folder or /var/tmp; empty when none does, which a test must treat as a failure.
inline QString directoryWithUserAttributes()
{
    for (const QString &candidate : { QDir::currentPath(), QDir::homePath(), QStringLiteral("/var/tmp") }) {
        QTemporaryDir scratch(QDir(candidate).filePath(QStringLiteral("xattr-probe-XXXXXX")));
        const QByteArray path = QFile::encodeName(scratch.path());
        if (scratch.isValid() && ::setxattr(path.constData(), "user.probe", "", 0, 0) == 0) {
            return candidate;
        }
    }
    return {};
}

} // namespace TestSupport
