#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>

// The service's envelope format: a JSON header line, then items, each a JSON item header line
// (with its type and payload length) followed by the payload and a line break.
class CrashReportEnvelope
{
public:
    explicit CrashReportEnvelope(const QString &eventId);

    void addItem(const QString &type, const QJsonObject &payload);

    QByteArray serialized() const;

private:
    struct Item
    {
        QString type;
        QByteArray payload;
    };

    QString m_eventId;
    QList<Item> m_items;
};
