#include "kit/collections/EmailAddress.h"

#include <QRegularExpression>

bool isValidEmail(const QString &text)
{
    // A local part of dot-separated atoms; a domain of dot-separated labels, each starting and
    // ending with a letter or digit, ending in an alphabetic top-level label of two or more.
    static const QRegularExpression address(
        QStringLiteral(R"(\A[\w!#$%&'*+/=?^`{|}~-]+(?:\.[\w!#$%&'*+/=?^`{|}~-]+)*@)"
                       R"((?:[^\W_](?:[\w-]*[^\W_])?\.)+[^\W\d_]{2,}\z)"),
        QRegularExpression::UseUnicodePropertiesOption);
    return address.match(text).hasMatch();
}

std::optional<EmailAddress> EmailAddress::fromRawValue(const QString &text)
{
    QString trimmed = text.trimmed();
    if (!isValidEmail(trimmed)) {
        return std::nullopt;
    }
    return EmailAddress(std::move(trimmed));
}

EmailAddress EmailAddress::validating(const QString &text)
{
    std::optional<EmailAddress> address = fromRawValue(text);
    if (!address) {
        qFatal("Invalid email address: %s", qUtf8Printable(text));
    }
    return std::move(*address);
}

std::optional<EmailAddress> EmailAddress::fromJson(const QJsonValue &json)
{
    if (!json.isString()) {
        return std::nullopt;
    }
    return EmailAddress(json.toString());
}
