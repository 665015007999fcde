#pragma once

#include "kit/foundation/errors/Error.h"

#include <cstdint>

// A failed call into the hardware-information layer, kept as its signed return code.
class IOKitError : public Error
{
public:
    static constexpr char errorDomain[] = "IOKitErrorDomain";

    explicit IOKitError(std::int32_t returnValue, QVariantMap userInfo = {});

    std::int32_t returnValue() const { return m_returnValue; }

    QString domain() const override { return QString::fromLatin1(errorDomain); }
    qint64 code() const override { return m_returnValue; }
    QVariantMap userInfo() const override { return m_userInfo; }
    ErrorPtr clone() const override { return std::make_shared<IOKitError>(*this); }
    [[noreturn]] void raise() const override { throw *this; }

private:
    std::int32_t m_returnValue;
    QVariantMap m_userInfo;
};
