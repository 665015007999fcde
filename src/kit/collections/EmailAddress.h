#pragma once

#include <QHashFunctions>
#include <QJsonValue>
#include <QString>

#include <cstddef>
#include <functional>
#include <optional>

// Whether the whole text is one e-mail address, as a link detector would find it: nothing before,
// after or around it, no second address, no "mailto:" in front.
bool isValidEmail(const QString &text);

// A checked e-mail address: built from text trimmed of white space and line breaks at both ends
// that passes isValidEmail. A decoded address is taken as stored, unchecked.
class EmailAddress
{
public:
    // None when the trimmed text is not an address.
    static std::optional<EmailAddress> fromRawValue(const QString &text);

    // For addresses written into the program: an invalid one stops the program with
    // "Invalid email address: " and the text as given.
    static EmailAddress validating(const QString &text);
    EmailAddress(const char *literal) // NOLINT: implicit, so that a literal reads as an address
        : EmailAddress(validating(QString::fromUtf8(literal)))
    { }

    const QString &rawValue() const { return m_rawValue; }
    const QString &id() const { return m_rawValue; }

    friend bool operator==(const EmailAddress &, const EmailAddress &) = default;

    QJsonValue toJson() const { return m_rawValue; }
    static std::optional<EmailAddress> fromJson(const QJsonValue &json);

private:
    explicit EmailAddress(QString rawValue)
        : m_rawValue(std::move(rawValue))
    { }

    QString m_rawValue;
};

template<>
struct std::hash<EmailAddress>
{
    std::size_t operator()(const EmailAddress &address) const { return qHash(address.rawValue()); }
};
