#pragma once

#include "FileContents.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>
#include <QtGlobal>

#include <gtest/gtest.h>

// Private XDG data directories: a home one and two system ones, each with `applications/`.
class ApplicationsFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_root.isValid());
        remember("XDG_DATA_HOME");
        remember("XDG_DATA_DIRS");
        remember("LANGUAGE");
        qputenv("XDG_DATA_HOME", QFile::encodeName(dataDirectory(QStringLiteral("home"))));
        qputenv("XDG_DATA_DIRS",
            QFile::encodeName(
                dataDirectory(QStringLiteral("system1")) + u':' + dataDirectory(QStringLiteral("system2"))));
    }

    void TearDown() override
    {
        for (const auto &[name, value] : m_saved) {
            if (value) {
                qputenv(name.constData(), *value);
            } else {
                qunsetenv(name.constData());
            }
        }
    }

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
    void remember(const char *name)
    {
        m_saved.emplace_back(QByteArray(name),
            qEnvironmentVariableIsSet(name) ? std::optional<QByteArray>(qgetenv(name)) : std::nullopt);
    }

    QTemporaryDir m_root;
    std::vector<std::pair<QByteArray, std::optional<QByteArray>>> m_saved;
};
