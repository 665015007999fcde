#pragma once

#include <QString>

// The user-visible texts of the UI kit.
namespace KitTexts {

inline QString share()
{
    return QStringLiteral("Share");
}

} // namespace KitTexts
