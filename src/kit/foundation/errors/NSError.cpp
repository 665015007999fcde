#include "kit/foundation/errors/NSError.h"

#include "kit/foundation/errors/ErrorUserInfo.h"
#include "kit/foundation/system/FoundationHooks.h"

#include <QDebug>

NSError::NSError(QString domain, qint64 code, QVariantMap userInfo)
    : m_domain(std::move(domain))
    , m_code(code)
    , m_userInfo(std::move(userInfo))
{
    setWhat(localizedDescription());
}

QString NSError::debugDescription() const
{
    QString text;
    QDebug(&text).nospace() << "NSError(domain: " << m_domain << ", code: " << m_code
                            << ", userInfo: " << m_userInfo << ")";
    return text;
}

NSError NSError::appError(const QString &description, const std::optional<QString> &recoverySuggestion,
    const QList<ErrorRecoveryAttempter::Option> &recoveryOptions, const std::optional<QString> &helpAnchor,
    const ErrorPtr &underlyingError, const std::optional<QUrl> &url,
    const std::optional<QString> &domainSuffix)
{
    QString domain = FoundationHooks::appIdentifier();
    if (domainSuffix) {
        domain += QStringLiteral(" - ") + *domainSuffix;
    }
    QList<ErrorPtr> underlying;
    if (underlyingError) {
        underlying.append(underlyingError);
    }
    return NSError(domain, 1,
        makeErrorUserInfo({}, description, recoverySuggestion, recoveryOptions, helpAnchor, underlying, url));
}

NSError NSError::copyAddingUserInfo(const QVariantMap &extra) const
{
    QVariantMap merged = m_userInfo;
    merged.insert(extra);
    return NSError(m_domain, m_code, merged);
}
