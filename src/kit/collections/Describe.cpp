#include "kit/collections/Describe.h"

#include <charconv>
#include <cmath>

QString describeNumber(double number)
{
    if (std::isnan(number)) {
        return QStringLiteral("nan");
    }
    if (std::isinf(number)) {
        return number > 0 ? QStringLiteral("inf") : QStringLiteral("-inf");
    }
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
    QString text = QString::fromLatin1(buffer, result.ptr - buffer);
    // A whole number still reads as a floating-point one.
    if (!text.contains(QLatin1Char('.')) && !text.contains(QLatin1Char('e'))) {
        text += QStringLiteral(".0");
    }
    return text;
}

QString describeVariant(const QVariant &value)
{
    if (!value.isValid()) {
        return QStringLiteral("nil");
    }
    switch (value.typeId()) {
    case QMetaType::QString:
        return describeValue(value.toString());
    case QMetaType::Bool:
        return describeValue(value.toBool());
    case QMetaType::Double:
    case QMetaType::Float:
        return describeNumber(value.toDouble());
    default:
        break;
    }
    if (value.canConvert<QString>()) {
        return value.toString();
    }
    QString text;
    QDebug(&text).noquote().nospace() << value;
    return text;
}
