#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

// The service's envelope format: a JSON header line, then items, each a JSON item header line
// (with its type and payload length) followed by the payload and a line break.
class CrashReportEnvelope
{
public:
    explicit CrashReportEnvelope(const QString &eventId);

    void addItem(const QString &type, const QJsonObject &payload);

    QByteArray serialized() const;

    using Rewrite = std::function<QJsonValue(const QJsonValue &)>;
    // A serialized envelope with `rewrite` applied to its header, to each item's header and to
    // each item whose payload is JSON, the lengths made to match. A payload that is no JSON is
    // kept as it is. None when the bytes are no envelope.
    static std::optional<QByteArray> rewritten(const QByteArray &serialized, const Rewrite &rewrite);

private:
    struct Item
    {
        QString type;
        QByteArray payload;
    };

    QString m_eventId;
    QList<Item> m_items;
};
