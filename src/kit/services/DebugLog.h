#pragma once

#include <QStringList>

// The last lines the program logged, kept in memory for the debug window. Any thread.
namespace DebugLog {

inline constexpr qsizetype maximumLines = 10000;

// From now on every message logged is kept here as well as passed on to the handler in place
// before. Calls while installed do nothing.
void install();
// Puts that handler back in place (one installed over the log's since goes too); the lines kept
// stay. Answers whether the log was installed.
bool uninstall();

// Keeps the line, dropping the oldest beyond maximumLines.
void append(const QString &line);
// The lines kept, oldest first.
QStringList lines();
// How many lines were ever appended, so that a view redraws only after something new.
quint64 appendedCount();

} // namespace DebugLog
