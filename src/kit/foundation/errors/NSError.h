#pragma once

#include "kit/foundation/errors/Error.h"
#include "kit/foundation/errors/ErrorRecoveryAttempter.h"

#include <QUrl>

// A platform error: a domain, a code and a user info, nothing else.
class NSError : public Error
{
public:
    NSError(QString domain, qint64 code, QVariantMap userInfo = {});

    QString domain() const override { return m_domain; }
    qint64 code() const override { return m_code; }
    QVariantMap userInfo() const override { return m_userInfo; }
    bool isNSError() const override { return true; }
    QString debugDescription() const override;
    ErrorPtr clone() const override { return std::make_shared<NSError>(*this); }
    [[noreturn]] void raise() const override { throw *this; }

    // An error of the program itself: the application identifier (with " - " and the
    // suffix when one is given) as domain, code 1.
    static NSError appError(const QString &description, const std::optional<QString> &recoverySuggestion = {},
        const QList<ErrorRecoveryAttempter::Option> &recoveryOptions = {},
        const std::optional<QString> &helpAnchor = {}, const ErrorPtr &underlyingError = {},
        const std::optional<QUrl> &url = {}, const std::optional<QString> &domainSuffix = {});

    // A plain copy with the given entries merged in; they win over entries of the same key.
    NSError copyAddingUserInfo(const QVariantMap &extra) const;

private:
    QString m_domain;
    qint64 m_code;
    QVariantMap m_userInfo;
};
