#pragma once

#include "kit/foundation/errors/Error.h"

// Any error as a value that compares equal by content and carries a complete user info.
class AnyError : public Error
{
public:
    explicit AnyError(ErrorPtr error);

    const ErrorPtr &error() const { return m_error; }

    QString domain() const override { return QStringLiteral("AnyError"); }
    qint64 code() const override;
    QVariantMap userInfo() const override;
    QString localizedDescription() const override { return m_error->localizedDescription(); }
    std::optional<QString> failureReason() const override { return m_error->failureReason(); }
    std::optional<QString> recoverySuggestion() const override { return m_error->recoverySuggestion(); }
    std::optional<QString> helpAnchor() const override { return m_error->helpAnchor(); }
    QString debugDescription() const override;
    ErrorPtr clone() const override { return std::make_shared<AnyError>(*this); }
    [[noreturn]] void raise() const override { throw *this; }

    bool operator==(const AnyError &other) const;

private:
    ErrorPtr m_error;
};
