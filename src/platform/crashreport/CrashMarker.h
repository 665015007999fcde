#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

// Leaves a note when the process dies of a fatal signal, so that the next start can tell.
// The handler only uses async-signal-safe calls: it writes the signal number and the time
// into a file whose path was fixed at installation, then lets the signal kill the process
// as it would have without the handler. A SIGABRT sent by another process is a request to end,
// not a crash, and leaves no note.
//
// Another handler may take one of these signals over later (the exit signals' handler takes
// SIGABRT); ours then no longer runs for it, and that handler leaves the note through note().
class CrashMarker
{
public:
    struct Record
    {
        int signalNumber = 0;
        QDateTime time;
    };

    // SIGSEGV, SIGBUS, SIGILL, SIGFPE and SIGABRT. Installing again moves the marker.
    // Returns false when the path is too long to keep or a handler cannot be set.
    static bool install(const QString &path);

    // Writes the marker for a crash by `signalNumber` at the installed path; nothing before
    // install(). Async-signal-safe: meant for a signal handler whose process is about to die.
    static void note(int signalNumber);

    // The marker left at `path` by an earlier process, removed so that it is reported once.
    // A marker that cannot be read still counts as a crash, with signal 0 and the file's time.
    static std::optional<Record> take(const QString &path);
};
