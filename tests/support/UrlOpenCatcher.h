#pragma once

#include <QList>
#include <QObject>
#include <QUrl>

// Catches what the program asks the desktop to open, instead of opening it, while it exists.
class UrlOpenCatcher : public QObject
{
    Q_OBJECT

public:
    explicit UrlOpenCatcher(const QString &scheme = QStringLiteral("file"));
    ~UrlOpenCatcher() override;

    QList<QUrl> opened;

public slots:
    void open(const QUrl &url);

private:
    QString m_scheme;
};
