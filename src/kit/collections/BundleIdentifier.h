#pragma once

#include "kit/collections/Newtype.h"

#include <QJsonValue>
#include <QString>

#include <optional>

// An application identifier, taken as given.
struct BundleIdentifier : Newtype<BundleIdentifier, QString>
{
    using Newtype::Newtype;
    BundleIdentifier(const char *literal) // NOLINT: implicit, as a literal reads
        : Newtype(QString::fromUtf8(literal))
    { }

    const QString &id() const { return rawValue(); }

    QJsonValue toJson() const { return rawValue(); }
    static std::optional<BundleIdentifier> fromJson(const QJsonValue &json)
    {
        return json.isString() ? std::optional(BundleIdentifier(json.toString())) : std::nullopt;
    }
};
