#include "kit/foundation/system/SignalHandler.h"

#include "platform/events/MainThread.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <exception>
#include <map>
#include <vector>

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

namespace {

Q_LOGGING_CATEGORY(signalLog, "tapewick.signalList")

constexpr int signalLimit = NSIG;

std::atomic<int> pipeWriteEnd { -1 };
std::atomic<SignalHandler::CrashNote> crashNote { nullptr };
static_assert(std::atomic<SignalHandler::CrashNote>::is_always_lock_free, "read in signal context");

// abort(), raise() and kill() naming this process, or a fault the kernel reports. Only the codes
// of a sending process carry its id; a timer's signal carries none.
bool isOwnFailure(int signal, const siginfo_t *info)
{
    switch (signal) {
    case SIGABRT:
    case SIGSEGV:
    case SIGBUS:
    case SIGILL:
    case SIGFPE:
        break;
    default:
        return false;
    }
    if (info->si_code > 0) {
        return true;
    }
    const bool sentByAProcess
        = info->si_code == SI_USER || info->si_code == SI_QUEUE || info->si_code == SI_TKILL;
    return sentByAProcess && info->si_pid == ::getpid();
}

// The process dies of the signal as if nothing handled it: its exit status, its core dump.
void dieOf(int signal)
{
    struct sigaction defaultAction
    {
    };
    defaultAction.sa_handler = SIG_DFL;
    sigemptyset(&defaultAction.sa_mask);
    ::sigaction(signal, &defaultAction, nullptr);
    ::raise(signal);
    sigset_t pending;
    sigemptyset(&pending);
    sigaddset(&pending, signal);
    ::pthread_sigmask(SIG_UNBLOCK, &pending, nullptr);
}

// Every other arrival is handed to the closures, a repeat too: what a repeat means is theirs to
// decide.
void trampoline(int signal, siginfo_t *info, void *)
{
    const int savedErrno = errno;
    if (signal > 0 && signal < signalLimit) {
        if (isOwnFailure(signal, info)) {
            if (const SignalHandler::CrashNote note = crashNote.load()) {
                note(signal);
            }
            dieOf(signal);
        } else if (const int fd = pipeWriteEnd.load(); fd >= 0) {
            const int number = signal;
            [[maybe_unused]] const ssize_t written = write(fd, &number, sizeof number);
        }
    }
    errno = savedErrno;
}

// What holdUntilInstalled() blocked on the GUI thread and install() has not released yet; only
// the GUI thread touches it. Signals the process was started with blocked stay blocked.
sigset_t &heldSignals()
{
    static sigset_t held = [] {
        sigset_t none;
        sigemptyset(&none);
        return none;
    }();
    return held;
}

void releaseHeld(const QList<SignalHandler::Signal> &signalList)
{
    sigset_t released;
    sigemptyset(&released);
    for (const SignalHandler::Signal signal : signalList) {
        if (signal.rawValue > 0 && signal.rawValue < signalLimit
            && sigismember(&heldSignals(), signal.rawValue) == 1) {
            sigaddset(&released, signal.rawValue);
            sigdelset(&heldSignals(), signal.rawValue);
        }
    }
    pthread_sigmask(SIG_UNBLOCK, &released, nullptr);
}

std::map<int, std::vector<SignalHandler::Handler>> &handlerTable()
{
    static std::map<int, std::vector<SignalHandler::Handler>> table;
    return table;
}

void readPendingSignals(int fd)
{
    int number = 0;
    while (read(fd, &number, sizeof number) == static_cast<ssize_t>(sizeof number)) {
        SignalHandler::dispatch(number);
    }
}

// The read end is watched by the GUI thread's event loop for as long as the process lives.
bool ensureSelfPipe()
{
    if (pipeWriteEnd.load() >= 0) {
        return true;
    }
    int ends[2];
    if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
        qCWarning(signalLog) << "Cannot create the signal pipe:" << strerror(errno);
        return false;
    }
    auto *notifier = new QSocketNotifier(ends[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(
        notifier, &QSocketNotifier::activated, notifier, [fd = ends[0]] { readPendingSignals(fd); });
    pipeWriteEnd.store(ends[1]);
    return true;
}

void installAction(int signal)
{
    struct sigaction action
    {
    };
    action.sa_sigaction = trampoline;
    sigemptyset(&action.sa_mask);
    // Interrupted calls restart: the handler itself does nothing the interrupted code must react to.
    action.sa_flags = SA_SIGINFO | SA_RESTART;
    sigaction(signal, &action, nullptr);
}

} // namespace

const QList<SignalHandler::Signal> &SignalHandler::Signal::exitSignals()
{
    static const QList<Signal> signalList { { SIGHUP }, { SIGINT }, { SIGQUIT }, { SIGABRT }, { SIGALRM },
        { SIGTERM } };
    return signalList;
}

void SignalHandler::install(const QList<Signal> &signalList, Handler handler)
{
    if (signalList.isEmpty()) {
        return;
    }
    if (!QCoreApplication::instance()) {
        qCWarning(signalLog) << "No application object: signal closures not installed";
        return;
    }
    if (!Events::isMainThread()) {
        Events::runOnMain([signalList, handler = std::move(handler)] { install(signalList, handler); });
        return;
    }
    if (!ensureSelfPipe()) {
        // Nothing would ever take them: their default actions hold again.
        releaseHeld(signalList);
        return;
    }
    for (const Signal signal : signalList) {
        if (signal.rawValue <= 0 || signal.rawValue >= signalLimit) {
            qCWarning(signalLog) << "Not a signal number:" << signal.rawValue;
            continue;
        }
        handlerTable()[signal.rawValue].push_back(handler);
        installAction(signal.rawValue);
    }
    // Only now that the actions are in place: one that waited is handled at once.
    releaseHeld(signalList);
}

void SignalHandler::holdUntilInstalled(const QList<Signal> &signalList)
{
    sigset_t wanted;
    sigemptyset(&wanted);
    for (const Signal signal : signalList) {
        if (signal.rawValue > 0 && signal.rawValue < signalLimit) {
            sigaddset(&wanted, signal.rawValue);
        }
    }
    sigset_t before;
    if (pthread_sigmask(SIG_BLOCK, &wanted, &before) != 0) {
        return;
    }
    for (int signal = 1; signal < signalLimit; ++signal) {
        if (sigismember(&wanted, signal) == 1 && sigismember(&before, signal) == 0) {
            sigaddset(&heldSignals(), signal);
        }
    }
}

void SignalHandler::setCrashNote(CrashNote note)
{
    crashNote.store(note);
}

void SignalHandler::dispatch(int signal)
{
    ASSERT_MAIN_THREAD();
    const auto found = handlerTable().find(signal);
    if (found == handlerTable().end()) {
        return;
    }
    // A copy, so a closure may install more closures while the list runs.
    const std::vector<Handler> handlers = found->second;
    for (const Handler &handler : handlers) {
        try {
            handler(signal);
        } catch (const std::exception &error) {
            qCWarning(signalLog) << "A closure for signal" << signal << "failed:" << error.what();
        } catch (...) {
            qCWarning(signalLog) << "A closure for signal" << signal << "failed";
        }
    }
}
