#pragma once

#include "kit/collections/CancellationText.h"
#include "kit/foundation/errors/Error.h"

// An operation was cancelled before it finished; error reports drop it.
class CancellationError : public Error
{
public:
    CancellationError() { setWhat(localizedDescription()); }

    QString domain() const override { return QStringLiteral("Tapewick.CancellationError"); }
    qint64 code() const override { return 1; }
    QVariantMap userInfo() const override { return {}; }
    QString localizedDescription() const override { return QString::fromLatin1(operationCancelledText); }
    ErrorPtr clone() const override { return std::make_shared<CancellationError>(*this); }
    [[noreturn]] void raise() const override { throw *this; }
};
