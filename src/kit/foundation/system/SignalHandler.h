#pragma once

#include <QList>

#include <functional>

// Runs closures of any component when the process receives POSIX signals, without one
// component replacing another's: every closure installed for a signal runs, in installation
// order, with the signal number.
//
// The closures run on the GUI thread, on the next turn of its event loop, not inside the
// signal handler, so they may do anything. Every arrival runs them, also one that comes while
// they still run for an earlier one (then nested, when they turn the event loop); the signal's
// default action is not restored for them. Installing replaces the action that was in place for
// the signal; that action is not kept and never runs again.
//
// A crash is no request: SIGABRT, SIGSEGV, SIGBUS, SIGILL or SIGFPE that this process raised at
// itself (abort(), raise(), kill() of its own id) or that the kernel raised for a fault runs no
// closure. The crash note, when one is set, runs in the signal handler; then the default action
// ends the process, with the signal's exit status and core dump. The same signal sent by another
// process is a request like any other and runs the closures.
class SignalHandler
{
public:
    struct Signal
    {
        int rawValue = 0;

        // Hang-up, interrupt, quit, abort, alarm and terminate, in that order.
        static const QList<Signal> &exitSignals();

        friend bool operator==(Signal, Signal) = default;
    };

    using Handler = std::function<void(int signal)>;
    // Called in the signal handler of a crash: only async-signal-safe calls.
    using CrashNote = void (*)(int signal);

    // Call on the GUI thread with the application object in place; from another thread the
    // installation is handed to the GUI thread. Without an application object nothing is
    // installed, so the signals keep their default actions.
    static void install(const QList<Signal> &signalList, Handler handler);

    // Holds the signals back from the calling thread, and from each thread it starts from now on,
    // until install() takes them on there: one that arrives meanwhile waits for its closures
    // rather than ending the process by its default action. Call first thing in main(), on the
    // thread that becomes the GUI thread. Threads started meanwhile keep them held, which leaves
    // them to the GUI thread; they must start no process, which would inherit the held mask.
    static void holdUntilInstalled(const QList<Signal> &signalList);

    // What notes a crash that reaches a signal with closures; none notes nothing. Any thread.
    static void setCrashNote(CrashNote note);

    // Runs the closures installed for `signal`, in order; nothing when there are none.
    // GUI thread only.
    static void dispatch(int signal);
};
