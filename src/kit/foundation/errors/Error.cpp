#include "kit/foundation/errors/Error.h"

#include "kit/foundation/errors/CancellationError.h"
#include "kit/foundation/errors/CocoaError.h"
#include "kit/foundation/errors/ErrorUserInfoKeys.h"
#include "kit/foundation/errors/NSError.h"

#include <QDebug>

QString Error::localizedDescription() const
{
    const QVariant description = userInfo().value(NSLocalizedDescriptionKey);
    if (description.canConvert<QString>() && !description.toString().isNull()) {
        return description.toString();
    }
    return QStringLiteral("The operation couldn’t be completed. (%1 error %2.)").arg(domain()).arg(code());
}

std::optional<QString> Error::recoverySuggestion() const
{
    const QVariant value = userInfo().value(NSLocalizedRecoverySuggestionErrorKey);
    return value.isValid() ? std::optional(value.toString()) : std::nullopt;
}

std::optional<QString> Error::helpAnchor() const
{
    const QVariant value = userInfo().value(NSHelpAnchorErrorKey);
    return value.isValid() ? std::optional(value.toString()) : std::nullopt;
}

QString Error::debugDescription() const
{
    QString text;
    QDebug(&text).nospace() << "Error(domain: " << domain() << ", code: " << code()
                            << ", userInfo: " << userInfo() << ")";
    return text;
}

NSError Error::bridged() const
{
    QVariantMap info = userInfo();
    const auto addMissing = [&info](const char *key, const std::optional<QString> &value) {
        if (value && !info.contains(key)) {
            info.insert(key, *value);
        }
    };
    if (!info.contains(NSLocalizedDescriptionKey)) {
        info.insert(NSLocalizedDescriptionKey, localizedDescription());
    }
    addMissing(NSLocalizedFailureReasonErrorKey, failureReason());
    addMissing(NSLocalizedRecoverySuggestionErrorKey, recoverySuggestion());
    addMissing(NSHelpAnchorErrorKey, helpAnchor());
    return NSError(domain(), code(), info);
}

QList<ErrorPtr> Error::underlyingErrors() const
{
    const QVariantMap info = userInfo();
    QList<ErrorPtr> errors;
    if (const QVariant single = info.value(NSUnderlyingErrorKey); single.canConvert<ErrorPtr>()) {
        if (auto error = single.value<ErrorPtr>()) {
            errors.append(error);
        }
    }
    const QVariant multiple = info.value(NSMultipleUnderlyingErrorsKey);
    if (multiple.canConvert<QList<ErrorPtr>>()) {
        for (const ErrorPtr &error : multiple.value<QList<ErrorPtr>>()) {
            if (error) {
                errors.append(error);
            }
        }
    }
    return errors;
}

bool Error::hasDomain(const QString &expectedDomain, qint64 expectedCode) const
{
    return domain() == expectedDomain && code() == expectedCode;
}

bool Error::isCancelled() const
{
    static constexpr qint64 urlErrorCancelled = -999;
    static constexpr qint64 storePaymentCancelled = 2;
    return dynamic_cast<const CancellationError *>(this) != nullptr
        || hasDomain(CocoaError::errorDomain, CocoaError::userCancelled)
        || hasDomain(QStringLiteral("NSURLErrorDomain"), urlErrorCancelled)
        || hasDomain(QStringLiteral("SKErrorDomain"), storePaymentCancelled);
}
