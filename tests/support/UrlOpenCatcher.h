#pragma once

#include <QDesktopServices>
#include <QList>
#include <QObject>
#include <QUrl>

// Catches what the program asks the desktop to open, instead of opening it, while it exists.
class UrlOpenCatcher : public QObject
{
    Q_OBJECT

public:
    explicit UrlOpenCatcher(const QString &scheme = QStringLiteral("file"))
        : m_scheme(scheme)
    {
        QDesktopServices::setUrlHandler(m_scheme, this, "open");
    }
    ~UrlOpenCatcher() override { QDesktopServices::unsetUrlHandler(m_scheme); }

    QList<QUrl> opened;

public slots:
    void open(const QUrl &url) { opened << url; }

private:
    QString m_scheme;
};
