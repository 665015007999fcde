#include "kit/foundation/errors/GeneralError.h"

#include "kit/foundation/errors/ErrorUserInfo.h"
#include "kit/foundation/errors/NSError.h"

#include <QDebug>

GeneralError::GeneralError(const QString &description, const std::optional<QString> &recoverySuggestion,
    const QVariantMap &userInfo, const std::optional<QUrl> &url, const QList<ErrorPtr> &underlyingErrors,
    const QList<ErrorRecoveryAttempter::Option> &recoveryOptions, const std::optional<QString> &helpAnchor)
    : m_errorDescription(description)
    , m_recoverySuggestion(recoverySuggestion)
    , m_helpAnchor(helpAnchor)
    , m_errorUserInfo(makeErrorUserInfo(
          userInfo, description, recoverySuggestion, recoveryOptions, helpAnchor, underlyingErrors, url))
{
    setWhat(description);
}

QString GeneralError::localizedStringResource() const
{
    const auto withPoint = [](const QString &text) { return text.endsWith(u'.') ? text : text + u'.'; };
    const QString description = localizedDescription().trimmed();
    const std::optional<QString> suggestion = bridged().recoverySuggestion();
    if (!suggestion) {
        return description;
    }
    return withPoint(description) + u' ' + withPoint(suggestion->trimmed());
}

QString GeneralError::debugDescription() const
{
    QString text;
    QDebug(&text).nospace() << "GeneralError(errorDescription: " << m_errorDescription
                            << ", recoverySuggestion: "
                            << m_recoverySuggestion.value_or(QStringLiteral("nil"))
                            << ", helpAnchor: " << m_helpAnchor.value_or(QStringLiteral("nil"))
                            << ", errorUserInfo: " << m_errorUserInfo << ")";
    return text;
}
