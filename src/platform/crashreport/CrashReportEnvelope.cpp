#include "platform/crashreport/CrashReportEnvelope.h"

#include <QDateTime>
#include <QJsonDocument>

CrashReportEnvelope::CrashReportEnvelope(const QString &eventId)
    : m_eventId(eventId)
{ }

void CrashReportEnvelope::addItem(const QString &type, const QJsonObject &payload)
{
    m_items.append({ type, QJsonDocument(payload).toJson(QJsonDocument::Compact) });
}

QByteArray CrashReportEnvelope::serialized() const
{
    const QJsonObject header {
        { QStringLiteral("event_id"), m_eventId },
        { QStringLiteral("sent_at"), QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs) },
    };
    QByteArray bytes = QJsonDocument(header).toJson(QJsonDocument::Compact) + '\n';
    for (const Item &item : m_items) {
        const QJsonObject itemHeader {
            { QStringLiteral("type"), item.type },
            { QStringLiteral("length"), static_cast<qint64>(item.payload.size()) },
        };
        bytes += QJsonDocument(itemHeader).toJson(QJsonDocument::Compact) + '\n';
        bytes += item.payload + '\n';
    }
    return bytes;
}
