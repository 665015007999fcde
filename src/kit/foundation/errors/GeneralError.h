#pragma once

#include "kit/foundation/errors/Error.h"
#include "kit/foundation/errors/ErrorRecoveryAttempter.h"

#include <QUrl>

// The error value the program throws whenever it fails with a message of its own.
class GeneralError : public Error
{
public:
    explicit GeneralError(const QString &description, const std::optional<QString> &recoverySuggestion = {},
        const QVariantMap &userInfo = {}, const std::optional<QUrl> &url = {},
        const QList<ErrorPtr> &underlyingErrors = {},
        const QList<ErrorRecoveryAttempter::Option> &recoveryOptions = {},
        const std::optional<QString> &helpAnchor = {});

    QString errorDescription() const { return m_errorDescription; }
    const QVariantMap &errorUserInfo() const { return m_errorUserInfo; }
    // Description and recovery suggestion as one text, each ending in a point.
    QString localizedStringResource() const;

    QString domain() const override { return QStringLiteral("Tapewick.GeneralError"); }
    qint64 code() const override { return 1; }
    QVariantMap userInfo() const override { return m_errorUserInfo; }
    QString localizedDescription() const override { return m_errorDescription; }
    std::optional<QString> recoverySuggestion() const override { return m_recoverySuggestion; }
    std::optional<QString> helpAnchor() const override { return m_helpAnchor; }
    QString debugDescription() const override;
    ErrorPtr clone() const override { return std::make_shared<GeneralError>(*this); }
    [[noreturn]] void raise() const override { throw *this; }

private:
    QString m_errorDescription;
    std::optional<QString> m_recoverySuggestion;
    std::optional<QString> m_helpAnchor;
    QVariantMap m_errorUserInfo;
};
