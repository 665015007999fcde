#pragma once

#include <QString>

#include <source_location>

// Stops the program for a mistake in the program itself (a fixed value that
// proves invalid, a broken precondition), naming the caller's file and line so
// the log points at the faulty call rather than at the kit.
[[noreturn]] void stopForProgrammingError(
    const QString &message, std::source_location location = std::source_location::current());
