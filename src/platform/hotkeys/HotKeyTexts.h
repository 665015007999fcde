#pragma once

#include <QCoreApplication>
#include <QString>

// What the hot-key layer says to the user; the shortcut recorder says some of it too.
namespace HotKeyTexts {

inline QString unusableKey()
{
    return QCoreApplication::translate("HotKeys", "This key cannot be used for a shortcut.");
}

} // namespace HotKeyTexts
