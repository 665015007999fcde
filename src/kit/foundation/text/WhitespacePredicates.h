#pragma once

#include <QStringView>

// Character by character (user-perceived characters, judged by their first
// code point). An empty text passes both.
bool isWhitespace(QStringView text);
// Whitespace, or a line or paragraph break (U+000A…U+000D, U+0085, U+2028, U+2029).
bool isWhitespaceAndNewlines(QStringView text);
