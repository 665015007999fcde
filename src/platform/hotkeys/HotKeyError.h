#pragma once

#include <QString>

// Why a hot key could not be registered; the message is meant for the user.
struct HotKeyError
{
    enum class Kind {
        Unavailable, // no X11 session: see HotKeys::availability()
        UnsupportedKey, // the combination has no key on this keyboard, or modifiers we cannot grab
        AlreadyTaken, // another program holds the grab
    };

    Kind kind;
    QString message;
};
