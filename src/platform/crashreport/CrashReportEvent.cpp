#include "platform/crashreport/CrashReportEvent.h"

#include <QJsonArray>
#include <QSysInfo>
#include <QUuid>

#include <csignal>
#include <cstring>

namespace {

QString signalName(int number)
{
    switch (number) {
    case SIGSEGV:
        return QStringLiteral("SIGSEGV");
    case SIGBUS:
        return QStringLiteral("SIGBUS");
    case SIGILL:
        return QStringLiteral("SIGILL");
    case SIGFPE:
        return QStringLiteral("SIGFPE");
    case SIGABRT:
        return QStringLiteral("SIGABRT");
    default:
        return QStringLiteral("SIG%1").arg(number);
    }
}

} // namespace

QString CrashReportEvent::newEventId()
{
    return QUuid::createUuid().toString(QUuid::Id128);
}

QJsonObject CrashReportEvent::toJson() const
{
    QJsonObject mechanism {
        { QStringLiteral("type"), signalNumber != 0 ? QStringLiteral("signal") : QStringLiteral("generic") },
        { QStringLiteral("handled"), handled },
    };
    if (signalNumber != 0) {
        mechanism.insert(QStringLiteral("meta"),
            QJsonObject { { QStringLiteral("signal"),
                QJsonObject { { QStringLiteral("number"), signalNumber },
                    { QStringLiteral("name"), signalName(signalNumber) } } } });
    }
    const QJsonObject exception {
        { QStringLiteral("type"), exceptionType },
        { QStringLiteral("value"), exceptionValue },
        { QStringLiteral("mechanism"), mechanism },
    };
    const QJsonObject contexts {
        { QStringLiteral("os"),
            QJsonObject {
                { QStringLiteral("name"), QSysInfo::productType() },
                { QStringLiteral("version"), QSysInfo::productVersion() },
                { QStringLiteral("kernel_version"), QSysInfo::kernelVersion() },
            } },
    };

    QJsonObject extraJson;
    for (auto it = extra.cbegin(); it != extra.cend(); ++it) {
        extraJson.insert(it.key(), crashReportJsonValue(it.value()));
    }

    QJsonObject event {
        { QStringLiteral("event_id"), eventId },
        { QStringLiteral("timestamp"), timestamp.toUTC().toString(Qt::ISODateWithMs) },
        { QStringLiteral("platform"), QStringLiteral("native") },
        { QStringLiteral("level"),
            level == Level::Fatal ? QStringLiteral("fatal") : QStringLiteral("error") },
        { QStringLiteral("exception"),
            QJsonObject { { QStringLiteral("values"), QJsonArray { exception } } } },
        { QStringLiteral("contexts"), contexts },
        { QStringLiteral("extra"), extraJson },
    };
    if (!release.isEmpty()) {
        event.insert(QStringLiteral("release"), release);
    }
    return event;
}

QJsonObject CrashReportUserFeedback::toJson() const
{
    return {
        { QStringLiteral("event_id"), eventId },
        { QStringLiteral("name"), name },
        { QStringLiteral("email"), email },
        { QStringLiteral("comments"), comments },
    };
}

QJsonValue crashReportJsonValue(const QVariant &value)
{
    if (!value.isValid() || value.isNull()) {
        return QJsonValue::Null;
    }
    if (value.typeId() == QMetaType::QVariantMap) {
        QJsonObject object;
        const QVariantMap map = value.toMap();
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            object.insert(it.key(), crashReportJsonValue(it.value()));
        }
        return object;
    }
    if (value.typeId() == QMetaType::QVariantList || value.typeId() == QMetaType::QStringList) {
        QJsonArray array;
        for (const QVariant &element : value.toList()) {
            array.append(crashReportJsonValue(element));
        }
        return array;
    }
    const QJsonValue converted = QJsonValue::fromVariant(value);
    if (!converted.isNull() && !converted.isUndefined()) {
        return converted;
    }
    const QString text = value.toString();
    return text.isEmpty() ? QString::fromLatin1(value.typeName()) : text;
}
