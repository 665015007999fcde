#pragma once

#include <QCoreApplication>
#include <QString>

// The user-visible texts of the UI kit.
namespace KitTexts {

inline QString share()
{
    return QStringLiteral("Share");
}

inline QString quit()
{
    return QCoreApplication::translate("Buttons", "Quit");
}

} // namespace KitTexts
