#pragma once

#include <QString>

#include <cstdint>
#include <exception>
#include <optional>
#include <source_location>
#include <utility>

// A value that had to be there was missing. Its description is the message when there is one,
// else "Unexpected nil encountered at <file>:<line>".
class UnexpectedNilError : public std::exception
{
public:
    UnexpectedNilError(std::optional<QString> message, QString file, std::int64_t line);

    const std::optional<QString> &message() const { return m_message; }
    const QString &file() const { return m_file; }
    std::int64_t line() const { return m_line; }

    QString errorDescription() const { return m_message.value_or(failureReason()); }
    QString failureReason() const;
    const char *what() const noexcept override { return m_what.constData(); }

private:
    std::optional<QString> m_message;
    QString m_file;
    std::int64_t m_line;
    QByteArray m_what;
};

// The value of `optional`, or UnexpectedNilError naming the caller's file and line.
template<typename T>
T unwrapOrThrow(std::optional<T> optional, std::optional<QString> message = std::nullopt,
    std::source_location where = std::source_location::current())
{
    if (!optional) {
        throw UnexpectedNilError(std::move(message), QString::fromUtf8(where.file_name()), where.line());
    }
    return std::move(*optional);
}
