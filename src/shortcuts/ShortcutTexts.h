#pragma once

#include "platform/hotkeys/HotKeyTexts.h"

#include <QCoreApplication>
#include <QString>

// The shortcut library's own user-visible texts.
namespace KeyboardShortcuts::Texts {

inline QString recordPlaceholder()
{
    return QCoreApplication::translate("KeyboardShortcuts", "Record Shortcut");
}

inline QString pressPlaceholder()
{
    return QCoreApplication::translate("KeyboardShortcuts", "Press Shortcut");
}

inline QString clearButton()
{
    return QCoreApplication::translate("KeyboardShortcuts", "Clear shortcut");
}

inline QString unusableKey()
{
    return HotKeyTexts::unusableKey();
}

inline QString modifierNeeded()
{
    return QCoreApplication::translate(
        "KeyboardShortcuts", "A shortcut needs Ctrl, Alt or Super, unless its key is a function key.");
}

inline QString usedByOtherName()
{
    return QCoreApplication::translate(
        "KeyboardShortcuts", "This shortcut is already used by another action of this application.");
}

} // namespace KeyboardShortcuts::Texts
