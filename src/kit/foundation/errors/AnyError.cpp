#include "kit/foundation/errors/AnyError.h"

#include "kit/foundation/errors/ErrorUserInfoKeys.h"
#include "kit/foundation/errors/NSError.h"

AnyError::AnyError(ErrorPtr error)
    : m_error(std::move(error))
{
    Q_ASSERT(m_error);
    setWhat(m_error->localizedDescription());
}

qint64 AnyError::code() const
{
    return m_error->code();
}

QVariantMap AnyError::userInfo() const
{
    QVariantMap info = m_error->userInfo();
    const auto addMissing = [&info](const char *key, const std::optional<QString> &value) {
        if (value && !info.contains(key)) {
            info.insert(key, *value);
        }
    };
    addMissing(NSLocalizedDescriptionKey, m_error->localizedDescription());
    // The failure reason goes under the failure key, as the platform's presentation reads it.
    addMissing(NSLocalizedFailureErrorKey, m_error->failureReason());
    addMissing(NSLocalizedRecoverySuggestionErrorKey, m_error->recoverySuggestion());
    addMissing(NSHelpAnchorErrorKey, m_error->helpAnchor());
    return info;
}

QString AnyError::debugDescription() const
{
    return QStringLiteral("AnyError(error: %1)").arg(m_error->debugDescription());
}

bool AnyError::operator==(const AnyError &other) const
{
    return debugDescription() == other.debugDescription() && m_error->domain() == other.m_error->domain()
        && m_error->code() == other.m_error->code();
}
