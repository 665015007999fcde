#pragma once

#include "FileContents.h"
#include "ScopedEnv.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>
#include <QtGlobal>

#include <gtest/gtest.h>

// Private XDG data directories: a home one and two system ones, each with `applications/`.
// For readers that look at the variables each time: GLib keeps the first folders it reads for the
// whole process, so nothing of GLib's may read them under this fixture.
class ApplicationsFixture : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_root.isValid()); }

    QString dataDirectory(const QString &name) const { return m_root.filePath(name); }

    // Writes `applications/<relativePath>` under the named data directory.
    QString writeEntry(
        const QString &dataDirectoryName, const QString &relativePath, const QByteArray &contents)
    {
        const QString path
            = QDir(dataDirectory(dataDirectoryName)).filePath(QStringLiteral("applications/") + relativePath);
        return TestSupport::writeFile(path, contents);
    }

    static QByteArray applicationEntry(const QByteArray &name, const QByteArray &extra = {})
    {
        return "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=true\n" + extra;
    }

private:
    QTemporaryDir m_root;
    TestSupport::ScopedEnv m_home { "XDG_DATA_HOME", dataDirectory(QStringLiteral("home")) };
    TestSupport::ScopedEnv m_system { "XDG_DATA_DIRS",
        dataDirectory(QStringLiteral("system1")) + u':' + dataDirectory(QStringLiteral("system2")) };
};
