#include "platform/crashreport/CrashReportEnvelope.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>

namespace {

QByteArray compact(const QJsonValue &value)
{
    return value.isArray() ? QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact)
                           : QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact);
}

std::optional<QJsonObject> jsonObject(const QByteArray &line)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(line, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        return std::nullopt;
    }
    return document.object();
}

} // namespace

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

std::optional<QByteArray> CrashReportEnvelope::rewritten(const QByteArray &serialized, const Rewrite &rewrite)
{
    qsizetype at = 0;
    const auto nextLine = [&] {
        qsizetype end = serialized.indexOf('\n', at);
        if (end < 0) {
            end = serialized.size();
        }
        const QByteArray line = serialized.mid(at, end - at);
        at = end + 1;
        return line;
    };
    const std::optional<QJsonObject> header = jsonObject(nextLine());
    if (!header) {
        return std::nullopt;
    }
    QByteArray bytes = compact(rewrite(*header)) + '\n';
    while (at < serialized.size()) {
        const std::optional<QJsonObject> itemHeader = jsonObject(nextLine());
        if (!itemHeader) {
            return std::nullopt;
        }
        QByteArray payload;
        if (itemHeader->contains(QStringLiteral("length"))) {
            const qint64 length = itemHeader->value(QStringLiteral("length")).toInteger(-1);
            if (length < 0 || length > serialized.size() - at) {
                return std::nullopt;
            }
            payload = serialized.mid(at, length);
            at += length;
            if (at < serialized.size() && serialized[at++] != '\n') {
                return std::nullopt;
            }
        } else {
            payload = nextLine();
        }
        const QJsonDocument document = QJsonDocument::fromJson(payload);
        if (document.isObject()) {
            payload = compact(rewrite(document.object()));
        } else if (document.isArray()) {
            payload = compact(rewrite(document.array()));
        }
        QJsonObject newHeader = rewrite(*itemHeader).toObject();
        newHeader.insert(QStringLiteral("length"), static_cast<qint64>(payload.size()));
        bytes += compact(newHeader) + '\n' + payload + '\n';
    }
    return bytes;
}
