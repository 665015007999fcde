#pragma once

#include "kit/foundation/files/SandboxURLBookmark.h"
#include "preferences/RawRepresentable.h"

#include <QByteArray>

#include <optional>

// A bookmark is stored as its data.
template<>
struct RawRepresentation<SandboxURLBookmark>
{
    using RawValue = QByteArray;
    static QByteArray rawValue(const SandboxURLBookmark &bookmark) { return bookmark.bookmarkData(); }
    static std::optional<SandboxURLBookmark> fromRawValue(const QByteArray &raw)
    {
        return SandboxURLBookmark(raw);
    }
};
