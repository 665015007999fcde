#pragma once

#include "kit/foundation/errors/NSError.h"

// Errors of the platform's file and property-list services.
class CocoaError : public NSError
{
public:
    static constexpr char errorDomain[] = "NSCocoaErrorDomain";

    enum Code : qint64 {
        fileNoSuchFile = 4,
        fileReadNoSuchFile = 260,
        fileReadUnknown = 256,
        fileWriteFileExists = 516,
        fileWriteUnknown = 512,
        fileWriteNoPermission = 513,
        fileWriteInvalidFileName = 514,
        fileWriteOutOfSpace = 640,
        fileWriteVolumeReadOnly = 642,
        userCancelled = 3072,
        propertyListReadCorrupt = 3840,
        propertyListWriteInvalid = 3852,
    };

    explicit CocoaError(Code code, QVariantMap userInfo = {});

    QString localizedDescription() const override;
    ErrorPtr clone() const override { return std::make_shared<CocoaError>(*this); }
    [[noreturn]] void raise() const override { throw *this; }
};
