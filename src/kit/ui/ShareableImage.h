#pragma once

#include <QImage>
#include <QMetaType>

#include <optional>

// An image to share together with what its maker recorded about it, which saving it keeps.
struct ShareableImage
{
    struct Capture
    {
        int dpi = 72;
        bool isScreenCapture = false;
    };

    QImage image;
    std::optional<Capture> capture;
};

Q_DECLARE_METATYPE(ShareableImage)
