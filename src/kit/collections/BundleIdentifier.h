#pragma once

#include "kit/collections/Newtype.h"

#include <QString>

// An application identifier, taken as given.
struct BundleIdentifier : Newtype<BundleIdentifier, QString>
{
    using Newtype::Newtype;
    BundleIdentifier(const char *literal) // NOLINT: implicit, as a literal reads
        : Newtype(QString::fromUtf8(literal))
    { }

    const QString &id() const { return rawValue(); }
};
