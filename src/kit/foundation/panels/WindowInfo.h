#pragma once

#include <QRectF>
#include <QString>

#include <cstdint>
#include <optional>

// A description of one on-screen window; two describe the same window when
// their identifiers match, whatever else they say.
struct WindowInfo
{
    enum class SharingState { none, readOnly, readWrite };

    struct Owner
    {
        QString name;
        std::int64_t processIdentifier = 0;
        std::optional<QString> bundleIdentifier;
    };

    std::uint32_t identifier = 0;
    std::optional<QString> name;
    Owner owner;
    QRectF bounds;
    std::int64_t layer = 0;
    double alpha = 1;
    std::int64_t memoryUsage = 0;
    SharingState sharingState = SharingState::none;
    bool isOnScreen = false;

    friend bool operator==(const WindowInfo &a, const WindowInfo &b) { return a.identifier == b.identifier; }
};
