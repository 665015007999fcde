#include "kit/foundation/errors/ErrorUserInfo.h"

#include "kit/foundation/errors/ErrorUserInfoKeys.h"

QVariantMap makeErrorUserInfo(QVariantMap userInfo, const QString &description,
    const std::optional<QString> &recoverySuggestion,
    const QList<ErrorRecoveryAttempter::Option> &recoveryOptions, const std::optional<QString> &helpAnchor,
    const QList<ErrorPtr> &underlyingErrors, const std::optional<QUrl> &url)
{
    userInfo.insert(NSLocalizedDescriptionKey, description);
    if (recoverySuggestion) {
        userInfo.insert(NSLocalizedRecoverySuggestionErrorKey, *recoverySuggestion);
    }
    if (!recoveryOptions.isEmpty()) {
        QStringList titles;
        for (const auto &option : recoveryOptions) {
            titles.append(option.title);
        }
        userInfo.insert(NSLocalizedRecoveryOptionsErrorKey, titles);
        userInfo.insert(NSRecoveryAttempterErrorKey,
            QVariant::fromValue(
                ErrorRecoveryAttempterPtr(std::make_shared<ErrorRecoveryAttempter>(recoveryOptions))));
    }
    if (helpAnchor) {
        userInfo.insert(NSHelpAnchorErrorKey, *helpAnchor);
    }
    if (!underlyingErrors.isEmpty()) {
        userInfo.insert(NSMultipleUnderlyingErrorsKey, QVariant::fromValue(underlyingErrors));
    }
    if (url) {
        userInfo.insert(NSURLErrorKey, *url);
    }
    return userInfo;
}
