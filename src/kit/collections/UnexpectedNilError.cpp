#include "kit/collections/UnexpectedNilError.h"

UnexpectedNilError::UnexpectedNilError(std::optional<QString> message, QString file, std::int64_t line)
    : m_message(std::move(message))
    , m_file(std::move(file))
    , m_line(line)
    , m_what(errorDescription().toUtf8())
{ }

QString UnexpectedNilError::failureReason() const
{
    return QStringLiteral("Unexpected nil encountered at %1:%2").arg(m_file).arg(m_line);
}
