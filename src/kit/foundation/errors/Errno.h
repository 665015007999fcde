#pragma once

#include "kit/foundation/errors/Error.h"

#include <cerrno>

// A failed system call: the POSIX error number it left in errno.
class Errno : public Error
{
public:
    static constexpr char errorDomain[] = "NSPOSIXErrorDomain";
    // Linux's number for "the attribute does not exist".
    static constexpr int noSuchAttribute = ENODATA;

    // `description` replaces the system's text when the bare number would not tell the
    // user what went wrong.
    explicit Errno(int code, std::optional<QString> description = {});

    // The Linux number for an error number of the other platform the program comes from
    // (93, "no such attribute", is ENODATA here); numbers both share are returned as they are.
    static int fromDarwin(int darwinCode);

    int rawValue() const { return m_code; }

    QString domain() const override { return QString::fromLatin1(errorDomain); }
    qint64 code() const override { return m_code; }
    QVariantMap userInfo() const override { return {}; }
    QString localizedDescription() const override;
    QString debugDescription() const override;
    ErrorPtr clone() const override { return std::make_shared<Errno>(*this); }
    [[noreturn]] void raise() const override { throw *this; }

private:
    int m_code;
    std::optional<QString> m_description;
};
