#pragma once

#include "EventLoop.h"
#include "FileContents.h"

#include <QDir>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <chrono>

namespace TestSupport {

// An application installed in the test's home as the desktop's handler of the addresses of some
// schemes while it lives: it writes each address it is started with, one a line, into a file the
// test reads. Each address starts a handler of its own, so several arrive in no fixed order.
class FakeUrlHandler
{
public:
    // `name` names its files; `schemes` are those it is the default for, `mimeTypes` others it
    // takes.
    FakeUrlHandler(const QString &name, const QStringList &schemes, const QByteArray &mimeTypes = {})
    {
        const QDir data(qEnvironmentVariable("XDG_DATA_HOME"));
        const QDir config(qEnvironmentVariable("XDG_CONFIG_HOME"));
        m_log = data.filePath(name + QStringLiteral(".log"));
        m_script = data.filePath(name);
        const QByteArray id = "org.example." + name.toUtf8() + ".desktop";
        m_entry = data.filePath(QStringLiteral("applications/") + QString::fromUtf8(id));
        m_defaults = config.filePath(QStringLiteral("mimeapps.list"));
        QFile::remove(m_log);
        writeFile(m_script, "#!/bin/sh\nprintf '%s\\n' \"$@\" >> \"" + QFile::encodeName(m_log) + "\"\n");
        QFile::setPermissions(m_script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QByteArray types = mimeTypes;
        QByteArray defaults = "[Default Applications]\n";
        for (const QString &scheme : schemes) {
            types += "x-scheme-handler/" + scheme.toUtf8() + ';';
            defaults += "x-scheme-handler/" + scheme.toUtf8() + '=' + id + '\n';
        }
        writeFile(m_entry,
            "[Desktop Entry]\nType=Application\nName=" + name.toUtf8()
                + "\nExec=" + QFile::encodeName(m_script) + " %u\nMimeType=" + types + '\n');
        writeFile(m_defaults, defaults);
    }
    FakeUrlHandler(const FakeUrlHandler &) = delete;
    FakeUrlHandler &operator=(const FakeUrlHandler &) = delete;
    // The home is the process's: the next test finds no handler. The desktop's own reader of
    // these files hears of their removal a moment later.
    ~FakeUrlHandler()
    {
        for (const QString &path : { m_defaults, m_entry, m_script, m_log }) {
            QFile::remove(path);
        }
    }

    // What the handler has been started with so far.
    QList<QUrl> opened() const
    {
        QList<QUrl> urls;
        if (QFile::exists(m_log)) {
            for (const QByteArray &line : readFile(m_log).split('\n')) {
                if (!line.isEmpty()) {
                    urls << QUrl::fromEncoded(line);
                }
            }
        }
        return urls;
    }

    // What the handler was started with, once `count` addresses have arrived (or the wait ended).
    QList<QUrl> opened(qsizetype count, std::chrono::milliseconds wait = std::chrono::seconds(5)) const
    {
        QList<QUrl> urls;
        processEventsUntil(
            [&] {
                urls = opened();
                return urls.size() >= count;
            },
            wait);
        return urls;
    }

private:
    QString m_log;
    QString m_script;
    QString m_entry;
    QString m_defaults;
};

} // namespace TestSupport
