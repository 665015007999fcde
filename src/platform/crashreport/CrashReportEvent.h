#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QVariantMap>

// One event of the crash-reporting service: an error that was handled, or a crash.
struct CrashReportEvent
{
    enum class Level { Error, Fatal };

    QString eventId; // 32 lower-case hex digits
    QDateTime timestamp;
    Level level = Level::Error;
    QString exceptionType;
    QString exceptionValue;
    bool handled = true;
    // The signal that ended the process, for a crash.
    int signalNumber = 0;
    QVariantMap extra;
    QString release;

    static QString newEventId();

    QJsonObject toJson() const;
};

// What the user says about an event, sent to the service as a user report.
struct CrashReportUserFeedback
{
    QString eventId;
    QString name;
    QString email;
    QString comments;

    QJsonObject toJson() const;
};

// Turns values of any kind into JSON; what JSON cannot hold becomes its text.
QJsonValue crashReportJsonValue(const QVariant &value);
