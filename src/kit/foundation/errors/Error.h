#pragma once

#include <QList>
#include <QMetaType>
#include <QString>
#include <QVariantMap>

#include <exception>
#include <memory>
#include <optional>
#include <string>

class Error;
class NSError;
using ErrorPtr = std::shared_ptr<const Error>;

// The root of every error the program throws. Each error answers the questions the
// error presentation and the error-report routine ask: a domain, a code and a user
// info, plus the localized texts.
class Error : public std::exception
{
public:
    ~Error() override = default;

    virtual QString domain() const = 0;
    virtual qint64 code() const = 0;
    // The error's own user info, before bridging adds the localized texts.
    virtual QVariantMap userInfo() const = 0;

    virtual QString localizedDescription() const;
    virtual std::optional<QString> failureReason() const { return std::nullopt; }
    virtual std::optional<QString> recoverySuggestion() const;
    virtual std::optional<QString> helpAnchor() const;

    // Whether this is a genuine platform error rather than a program error value that
    // only takes that shape when bridged.
    virtual bool isNSError() const { return false; }
    // A full textual form of the value, used where two errors are compared by content.
    virtual QString debugDescription() const;

    virtual ErrorPtr clone() const = 0;
    // Throws a copy of the error with its dynamic type.
    [[noreturn]] virtual void raise() const = 0;

    // The platform-error form: domain, code and the user info with the texts added
    // (include NSError.h to use it).
    NSError bridged() const;
    // Errors listed under the underlying-error keys (one level, not recursive).
    QList<ErrorPtr> underlyingErrors() const;
    bool hasDomain(const QString &domain, qint64 code) const;
    // True when the error means an operation was cancelled rather than failed.
    bool isCancelled() const;

    const char *what() const noexcept override { return m_what.c_str(); }

protected:
    Error() = default;
    Error(const Error &) = default;
    Error &operator=(const Error &) = default;
    // Concrete errors call this once their fields are set, for what().
    void setWhat(const QString &text) { m_what = text.toStdString(); }

private:
    std::string m_what;
};

Q_DECLARE_METATYPE(ErrorPtr)
