#pragma once

#include <QString>

enum class TruncationPosition { start, middle, end };

// Shortens the text to at most `length` user-perceived characters, the indicator marking where
// text was left out. An end cut drops a final punctuation mark and trailing blanks before the
// indicator, so a name never ends in "-…" or " …".
QString truncated(const QString &text, int length, TruncationPosition position, const QString &indicator);

// How many user-perceived characters the text has: what `truncated` counts.
qsizetype characterCount(const QString &text);
