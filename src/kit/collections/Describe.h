#pragma once

#include <QDebug>
#include <QString>
#include <QVariant>

#include <concepts>
#include <string>
#include <string_view>
#include <type_traits>

// Text of a value as collections print their entries: strings inside double quotes, unchanged;
// numbers and truth values plainly; anything else as its own description or debug output.

QString describeNumber(double number);
QString describeVariant(const QVariant &value);

template<typename T>
QString describeValue(const T &value)
{
    if constexpr (std::is_same_v<T, QString>) {
        return QLatin1Char('"') + value + QLatin1Char('"');
    } else if constexpr (std::is_convertible_v<const T &, std::string_view>) {
        return QLatin1Char('"') + QString::fromUtf8(std::string_view(value)) + QLatin1Char('"');
    } else if constexpr (std::is_same_v<T, bool>) {
        return value ? QStringLiteral("true") : QStringLiteral("false");
    } else if constexpr (std::is_integral_v<T>) {
        return QString::number(value);
    } else if constexpr (std::is_floating_point_v<T>) {
        return describeNumber(static_cast<double>(value));
    } else if constexpr (std::is_same_v<T, QVariant>) {
        return describeVariant(value);
    } else if constexpr (requires {
                             {
                                 value.description()
                                 } -> std::convertible_to<QString>;
                         }) {
        return value.description();
    } else {
        QString text;
        QDebug(&text).noquote().nospace() << value;
        return text;
    }
}

// "[:]" when empty, else "[" + key ": " value pairs joined by ", " + "]".
template<typename Pairs>
QString describePairs(const Pairs &pairs)
{
    QString text = QStringLiteral("[");
    bool first = true;
    for (const auto &[key, value] : pairs) {
        if (!first) {
            text += QStringLiteral(", ");
        }
        first = false;
        text += describeValue(key) + QStringLiteral(": ") + describeValue(value);
    }
    return first ? QStringLiteral("[:]") : text + QLatin1Char(']');
}
