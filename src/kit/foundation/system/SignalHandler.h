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
// default action is never restored. A handler that was installed before (a crash reporter's)
// keeps being called, from the signal handler, after the signal was noted.
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

    // Call on the GUI thread with the application object in place; from another thread the
    // installation is handed to the GUI thread. Without an application object nothing is
    // installed, so the signals keep their default actions.
    static void install(const QList<Signal> &signalList, Handler handler);

    // Runs the closures installed for `signal`, in order; nothing when there are none.
    // GUI thread only.
    static void dispatch(int signal);
};
