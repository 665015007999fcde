#pragma once

#include "EventLoop.h"
#include "FileContents.h"

#include <QDir>
#include <QFile>
#include <QList>
#include <QString>
#include <QUrl>

#include <chrono>

namespace TestSupport {

// A web browser installed in the test's home as the desktop's handler of https addresses while it
// lives: it writes each address it is started with, one a line, into a file the test reads. Each
// address starts a browser of its own, so several arrive in no fixed order.
class FakeWebBrowser
{
public:
    FakeWebBrowser()
    {
        const QDir data(qEnvironmentVariable("XDG_DATA_HOME"));
        const QDir config(qEnvironmentVariable("XDG_CONFIG_HOME"));
        m_log = data.filePath(QStringLiteral("fake-browser.log"));
        m_script = data.filePath(QStringLiteral("fake-browser"));
        m_entry = data.filePath(QStringLiteral("applications/org.example.FakeBrowser.desktop"));
        m_defaults = config.filePath(QStringLiteral("mimeapps.list"));
        QFile::remove(m_log);
        writeFile(m_script, "#!/bin/sh\nprintf '%s\\n' \"$@\" >> \"" + QFile::encodeName(m_log) + "\"\n");
        QFile::setPermissions(m_script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        writeFile(m_entry,
            "[Desktop Entry]\nType=Application\nName=Fake Browser\nExec=" + QFile::encodeName(m_script)
                + " %u\nMimeType=text/html;x-scheme-handler/http;x-scheme-handler/https;\n");
        writeFile(m_defaults,
            "[Default Applications]\nx-scheme-handler/https=org.example.FakeBrowser.desktop\n"
            "x-scheme-handler/http=org.example.FakeBrowser.desktop\n");
    }
    FakeWebBrowser(const FakeWebBrowser &) = delete;
    FakeWebBrowser &operator=(const FakeWebBrowser &) = delete;
    // The home is the process's: the next test finds no browser. The desktop's own reader of
    // these files hears of their removal a moment later.
    ~FakeWebBrowser()
    {
        for (const QString &path : { m_defaults, m_entry, m_script, m_log }) {
            QFile::remove(path);
        }
    }

    // What the browser has been started with so far.
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

    // What the browser was started with, once `count` addresses have arrived (or the wait ended).
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
