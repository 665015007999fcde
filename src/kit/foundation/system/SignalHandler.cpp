#include "kit/foundation/system/SignalHandler.h"

#include "platform/events/MainThread.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QSocketNotifier>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <exception>
#include <map>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

Q_LOGGING_CATEGORY(signalLog, "tapewick.signalList")

constexpr int signalLimit = NSIG;

// Written before our action is installed for a signal, read only by the signal handler.
std::array<struct sigaction, signalLimit> previousActions {};
std::array<std::atomic<bool>, signalLimit> hasPreviousAction {};
std::atomic<int> pipeWriteEnd { -1 };

// Every arrival is handed to the closures, a repeat too: what a repeat means is theirs to decide.
void trampoline(int signal, siginfo_t *info, void *context)
{
    const int savedErrno = errno;
    if (signal > 0 && signal < signalLimit) {
        if (const int fd = pipeWriteEnd.load(); fd >= 0) {
            const int number = signal;
            [[maybe_unused]] const ssize_t written = write(fd, &number, sizeof number);
        }
        if (hasPreviousAction[signal].load()) {
            const struct sigaction &previous = previousActions[signal];
            if (previous.sa_flags & SA_SIGINFO) {
                if (previous.sa_sigaction) {
                    previous.sa_sigaction(signal, info, context);
                }
            } else if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN) {
                previous.sa_handler(signal);
            }
        }
    }
    errno = savedErrno;
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

    struct sigaction current
    {
    };
    sigaction(signal, nullptr, &current);
    const bool isOurs = (current.sa_flags & SA_SIGINFO) && current.sa_sigaction == trampoline;
    if (!isOurs) {
        hasPreviousAction[signal].store(false);
        previousActions[signal] = current;
        hasPreviousAction[signal].store(true);
    }
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
