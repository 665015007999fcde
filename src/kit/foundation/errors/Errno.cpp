#include "kit/foundation/errors/Errno.h"

#include <cstring>

Errno::Errno(int code, std::optional<QString> description)
    : m_code(code)
    , m_description(std::move(description))
{
    setWhat(localizedDescription());
}

int Errno::fromDarwin(int darwinCode)
{
    // Only the numbers below differ between the two systems among those the program meets.
    switch (darwinCode) {
    case 35:
        return EAGAIN;
    case 45:
        return EOPNOTSUPP;
    case 62:
        return ELOOP;
    case 63:
        return ENAMETOOLONG;
    case 66:
        return ENOTEMPTY;
    case 69:
        return EDQUOT;
    case 93:
        return ENODATA;
    default:
        return darwinCode;
    }
}

QString Errno::localizedDescription() const
{
    if (m_description) {
        return *m_description;
    }
    return QString::fromLocal8Bit(std::strerror(m_code));
}

QString Errno::debugDescription() const
{
    return QStringLiteral("Errno(rawValue: %1, description: %2)").arg(m_code).arg(localizedDescription());
}
