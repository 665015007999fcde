#pragma once

#include <QString>

// 64-bit FNV-1a over the text's UTF-8 bytes.
quint64 fnv1aHash(const QString &text);

// A stable code for a message: quoted names (between “ and ” on one line) are left out,
// so messages that differ only in a file name or path share a code.
qint64 messageCode(const QString &message);
