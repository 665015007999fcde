#include "platform/hotkeys/KeyTable.h"

#include <algorithm>
#include <array>

namespace {

// Key equivalents of keys without a printable character, as the original menus carry them.
constexpr char16_t upArrow = 0xF700, downArrow = 0xF701, leftArrow = 0xF702, rightArrow = 0xF703;
constexpr char16_t f1 = 0xF704, insertKey = 0xF727, forwardDelete = 0xF728, homeKey = 0xF729;
constexpr char16_t endKey = 0xF72B, pageUp = 0xF72C, pageDown = 0xF72D, clearKey = 0xF739;

constexpr KeyTableEntry letter(quint16 code, char c)
{
    return { code, quint32(c - 'A' + 'a'), Qt::Key(Qt::Key_A + (c - 'A')), false, char16_t(c - 'A' + 'a') };
}

constexpr KeyTableEntry character(quint16 code, char c, Qt::Key key)
{
    return { code, quint32(c), key, false, char16_t(c) };
}

constexpr KeyTableEntry keypad(quint16 code, quint32 keysym, Qt::Key key, char16_t equivalent)
{
    return { code, keysym, key, true, equivalent };
}

constexpr KeyTableEntry function(quint16 code, int n)
{
    return { code, quint32(0xffbe + n - 1), Qt::Key(Qt::Key_F1 + n - 1), false, char16_t(f1 + n - 1) };
}

// Carbon's codes are positions on the US keyboard; the keysyms are what that position types there.
// The Help key sits where PC keyboards have Insert.
constexpr auto table = std::to_array<KeyTableEntry>({
    letter(0x00, 'A'),
    letter(0x01, 'S'),
    letter(0x02, 'D'),
    letter(0x03, 'F'),
    letter(0x04, 'H'),
    letter(0x05, 'G'),
    letter(0x06, 'Z'),
    letter(0x07, 'X'),
    letter(0x08, 'C'),
    letter(0x09, 'V'),
    letter(0x0B, 'B'),
    letter(0x0C, 'Q'),
    letter(0x0D, 'W'),
    letter(0x0E, 'E'),
    letter(0x0F, 'R'),
    letter(0x10, 'Y'),
    letter(0x11, 'T'),
    letter(0x1F, 'O'),
    letter(0x20, 'U'),
    letter(0x22, 'I'),
    letter(0x23, 'P'),
    letter(0x25, 'L'),
    letter(0x26, 'J'),
    letter(0x28, 'K'),
    letter(0x2D, 'N'),
    letter(0x2E, 'M'),
    character(0x12, '1', Qt::Key_1),
    character(0x13, '2', Qt::Key_2),
    character(0x14, '3', Qt::Key_3),
    character(0x15, '4', Qt::Key_4),
    character(0x17, '5', Qt::Key_5),
    character(0x16, '6', Qt::Key_6),
    character(0x1A, '7', Qt::Key_7),
    character(0x1C, '8', Qt::Key_8),
    character(0x19, '9', Qt::Key_9),
    character(0x1D, '0', Qt::Key_0),
    character(0x18, '=', Qt::Key_Equal),
    character(0x1B, '-', Qt::Key_Minus),
    character(0x1E, ']', Qt::Key_BracketRight),
    character(0x21, '[', Qt::Key_BracketLeft),
    character(0x27, '\'', Qt::Key_Apostrophe),
    character(0x29, ';', Qt::Key_Semicolon),
    character(0x2A, '\\', Qt::Key_Backslash),
    character(0x2B, ',', Qt::Key_Comma),
    character(0x2C, '/', Qt::Key_Slash),
    character(0x2F, '.', Qt::Key_Period),
    character(0x32, '`', Qt::Key_QuoteLeft),
    character(0x31, ' ', Qt::Key_Space),
    { 0x24, 0xff0d, Qt::Key_Return, false, u'\r' },
    { 0x30, 0xff09, Qt::Key_Tab, false, u'\t' },
    { 0x33, 0xff08, Qt::Key_Backspace, false, u'\b' },
    { 0x35, 0xff1b, Qt::Key_Escape, false, u'\x1b' },
    { 0x72, 0xff63, Qt::Key_Insert, false, insertKey },
    { 0x73, 0xff50, Qt::Key_Home, false, homeKey },
    { 0x74, 0xff55, Qt::Key_PageUp, false, pageUp },
    { 0x75, 0xffff, Qt::Key_Delete, false, forwardDelete },
    { 0x77, 0xff57, Qt::Key_End, false, endKey },
    { 0x79, 0xff56, Qt::Key_PageDown, false, pageDown },
    { 0x7B, 0xff51, Qt::Key_Left, false, leftArrow },
    { 0x7C, 0xff53, Qt::Key_Right, false, rightArrow },
    { 0x7D, 0xff54, Qt::Key_Down, false, downArrow },
    { 0x7E, 0xff52, Qt::Key_Up, false, upArrow },
    keypad(0x41, 0xffae, Qt::Key_Period, u'.'),
    keypad(0x43, 0xffaa, Qt::Key_Asterisk, u'*'),
    keypad(0x45, 0xffab, Qt::Key_Plus, u'+'),
    keypad(0x47, 0xff0b, Qt::Key_Clear, clearKey),
    keypad(0x4B, 0xffaf, Qt::Key_Slash, u'/'),
    keypad(0x4C, 0xff8d, Qt::Key_Enter, u'\x03'),
    keypad(0x4E, 0xffad, Qt::Key_Minus, u'-'),
    keypad(0x51, 0xffbd, Qt::Key_Equal, u'='),
    keypad(0x52, 0xffb0, Qt::Key_0, u'0'),
    keypad(0x53, 0xffb1, Qt::Key_1, u'1'),
    keypad(0x54, 0xffb2, Qt::Key_2, u'2'),
    keypad(0x55, 0xffb3, Qt::Key_3, u'3'),
    keypad(0x56, 0xffb4, Qt::Key_4, u'4'),
    keypad(0x57, 0xffb5, Qt::Key_5, u'5'),
    keypad(0x58, 0xffb6, Qt::Key_6, u'6'),
    keypad(0x59, 0xffb7, Qt::Key_7, u'7'),
    keypad(0x5B, 0xffb8, Qt::Key_8, u'8'),
    keypad(0x5C, 0xffb9, Qt::Key_9, u'9'),
    function(0x7A, 1),
    function(0x78, 2),
    function(0x63, 3),
    function(0x76, 4),
    function(0x60, 5),
    function(0x61, 6),
    function(0x62, 7),
    function(0x64, 8),
    function(0x65, 9),
    function(0x6D, 10),
    function(0x67, 11),
    function(0x6F, 12),
    function(0x69, 13),
    function(0x6B, 14),
    function(0x71, 15),
    function(0x6A, 16),
    function(0x40, 17),
    function(0x4F, 18),
    function(0x50, 19),
    function(0x5A, 20),
});

template<class Predicate>
const KeyTableEntry *find(Predicate predicate)
{
    const auto it = std::find_if(table.begin(), table.end(), predicate);
    return it == table.end() ? nullptr : &*it;
}

} // namespace

namespace KeyTable {

std::span<const KeyTableEntry> entries()
{
    return table;
}

const KeyTableEntry *forCarbonKeyCode(quint32 carbonKeyCode)
{
    return find([&](const KeyTableEntry &entry) { return entry.carbonKeyCode == carbonKeyCode; });
}

const KeyTableEntry *forKeysym(quint32 keysym)
{
    // Upper-case letters are the shifted level of the same key.
    if (keysym >= 'A' && keysym <= 'Z') {
        keysym += 'a' - 'A';
    }
    return find([&](const KeyTableEntry &entry) { return entry.keysym == keysym; });
}

const KeyTableEntry *forQtKey(Qt::Key key, bool keypad)
{
    return find([&](const KeyTableEntry &entry) { return entry.qtKey == key && entry.keypad == keypad; });
}

bool isFunctionKey(const KeyTableEntry &entry)
{
    return entry.qtKey >= Qt::Key_F1 && entry.qtKey <= Qt::Key_F20;
}

} // namespace KeyTable
