#pragma once

#include "kit/foundation/errors/Error.h"
#include "kit/foundation/system/FoundationHooks.h"

#include <concepts>
#include <source_location>

// Sends the error with its call site to the error-report routine and hands it back, so a
// caller can write `throw reported(GeneralError(...));`.
template<std::derived_from<Error> E>
E reported(E error, const QVariantMap &userInfo = {},
    std::source_location location = std::source_location::current())
{
    FoundationHooks::reportError(
        error, userInfo, QString::fromUtf8(location.file_name()), static_cast<int>(location.line()));
    return error;
}

// The same for an error held by pointer, keeping its dynamic type.
inline ErrorPtr reported(ErrorPtr error, const QVariantMap &userInfo = {},
    std::source_location location = std::source_location::current())
{
    if (error) {
        FoundationHooks::reportError(
            *error, userInfo, QString::fromUtf8(location.file_name()), static_cast<int>(location.line()));
    }
    return error;
}
