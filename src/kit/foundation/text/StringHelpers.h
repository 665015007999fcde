#pragma once

#include <QString>

#include <optional>

// Breaks the text into lines: at every line break, and at the first space met once the
// current line holds at least `length` characters. The space is dropped, empty lines kept.
QString wrapped(const QString &text, qsizetype length);

// The longest start of the text, in whole user-perceived characters, whose UTF-8 takes at most
// `bytes`: as much of a name as a file system's limit on a name's bytes leaves room for.
QString leadingWithinUtf8Bytes(const QString &text, qsizetype bytes);

// The text as a menu item or button shows it verbatim: every "&" doubled, so that no character
// of a name becomes a keyboard mnemonic and vanishes.
QString withLiteralAmpersands(QString text);

// The text itself, or nothing when it is empty or only whitespace and line breaks.
std::optional<QString> nilIfEmptyOrWhitespace(const QString &text);
