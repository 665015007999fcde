#pragma once

#include "ScopedEnv.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <list>

namespace TestSupport {

// Points HOME and the XDG base directories into an empty temporary directory while it lives, so
// a test finds no settings, data, caches or recordings of an earlier run and never writes the
// user's own.
// The test desktop's runtime directory stays: its bus and sound server sockets are there.
class FreshHome
{
public:
    FreshHome()
    {
        const QDir home(m_dir.path());
        point("HOME", home.path());
        point("XDG_CONFIG_HOME", home.filePath(QStringLiteral(".config")));
        point("XDG_DATA_HOME", home.filePath(QStringLiteral(".local/share")));
        point("XDG_STATE_HOME", home.filePath(QStringLiteral(".local/state")));
        point("XDG_CACHE_HOME", home.filePath(QStringLiteral(".cache")));
        point("TAPEWICK_TEMPORARY_BASE", home.filePath(QStringLiteral("var-tmp")));
        if (qEnvironmentVariableIsEmpty("TAPEWICK_TEST_DESKTOP")) {
            point("XDG_RUNTIME_DIR", home.filePath(QStringLiteral("runtime")));
            QFile::setPermissions(home.filePath(QStringLiteral("runtime")),
                QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
    }
    FreshHome(const FreshHome &) = delete;
    FreshHome &operator=(const FreshHome &) = delete;

    QString path() const { return m_dir.path(); }

private:
    void point(const char *name, const QString &path)
    {
        QDir().mkpath(path);
        m_variables.emplace_back(name, path);
    }

    QTemporaryDir m_dir { QDir::tempPath() + QStringLiteral("/tapewick-test-home-XXXXXX") };
    std::list<ScopedEnv> m_variables;
};

} // namespace TestSupport
