#pragma once

#include <QStringList>

// The last lines the program logged, kept in memory for the debug window. Any thread.
namespace DebugLog {

inline constexpr qsizetype maximumLines = 10000;

// From now on every message logged is kept here as well as passed on as before. Once a process;
// later calls do nothing.
void install();

// Keeps the line, dropping the oldest beyond maximumLines.
void append(const QString &line);
// The lines kept, oldest first.
QStringList lines();
// How many lines were ever appended, so that a view redraws only after something new.
quint64 appendedCount();

} // namespace DebugLog
