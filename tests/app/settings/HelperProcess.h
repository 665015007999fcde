#pragma once

#include <QProcess>
#include <QTemporaryDir>

#include <string>

#include <unistd.h>

// Runs the settings helper on a settings directory of its own; as root, optionally as the
// unprivileged user "nobody", for whom a directory of root's is read-only.
class HelperProcess
{
public:
    HelperProcess() { QFile::setPermissions(m_config.path(), QFileDevice::Permissions(0x7777)); }

    // The helper's output lines, joined by "|".
    std::string run(const QStringList &arguments, bool unprivileged = false) const
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_config.path());
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(environment);
        if (unprivileged && ::geteuid() == 0) {
            process.setChildProcessModifier([] {
                if (::setgid(65534) != 0 || ::setuid(65534) != 0) {
                    ::_exit(10);
                }
            });
        }
        process.start(QStringLiteral(SETTINGS_HELPER), arguments);
        process.waitForFinished(30000);
        return QString::fromUtf8(process.readAllStandardOutput())
            .trimmed()
            .replace(u'\n', u'|')
            .toStdString();
    }

private:
    QTemporaryDir m_config;
};
