#pragma once

#include <QString>
#include <Qt>

#include <optional>
#include <span>

// One key that a shortcut can use: its Carbon virtual key code (the stored form), its X11
// keysym (what is grabbed), its Qt key (what a menu shows) and the one-character key
// equivalent a menu item of the original platform would carry.
struct KeyTableEntry
{
    quint16 carbonKeyCode;
    quint32 keysym;
    Qt::Key qtKey;
    bool keypad;
    char16_t keyEquivalent;
};

namespace KeyTable {

std::span<const KeyTableEntry> entries();
const KeyTableEntry *forCarbonKeyCode(quint32 carbonKeyCode);
const KeyTableEntry *forKeysym(quint32 keysym);
const KeyTableEntry *forQtKey(Qt::Key key, bool keypad);

// Function keys may stand alone in a global shortcut; other keys need a modifier.
bool isFunctionKey(const KeyTableEntry &entry);

} // namespace KeyTable
