#include "platform/crashreport/CrashMarker.h"

#include "platform/events/RegularFile.h"

#include <QFile>
#include <QFileInfo>

#include <array>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr std::array fatalSignals { SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT };

// Fixed before any handler can run; the handler only reads them.
char g_markerPath[4096];
// A stack overflow leaves no stack for the handler, so it runs on its own.
alignas(16) char g_alternateStack[64 * 1024];

// Writes `value` in decimal into `buffer` (which must hold 21 bytes); returns the length.
size_t formatDecimal(long long value, char *buffer)
{
    char digits[21];
    size_t count = 0;
    const bool negative = value < 0;
    unsigned long long magnitude
        = negative ? 0ULL - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
    do {
        digits[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    size_t length = 0;
    if (negative) {
        buffer[length++] = '-';
    }
    while (count > 0) {
        buffer[length++] = digits[--count];
    }
    return length;
}

void writeMarker(int signalNumber)
{
    if (g_markerPath[0] == '\0') {
        return;
    }
    // Without waiting for a reader of a FIFO at the path: the process is to end, not hang.
    const int fd = ::open(g_markerPath, O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) {
        return;
    }
    char line[64];
    size_t length = formatDecimal(signalNumber, line);
    line[length++] = ' ';
    length += formatDecimal(static_cast<long long>(::time(nullptr)), line + length);
    line[length++] = '\n';
    [[maybe_unused]] const ssize_t written = ::write(fd, line, length);
    ::fsync(fd);
    ::close(fd);
}

// kill(1) and kill(2) from elsewhere say so in the signal's origin; abort() and raise() name this
// process.
bool sentByAnotherProcess(const siginfo_t *info)
{
    return info && info->si_code <= 0 && info->si_pid != ::getpid();
}

void onFatalSignal(int signalNumber, siginfo_t *info, void *)
{
    const int savedErrno = errno;
    if (signalNumber == SIGABRT && sentByAnotherProcess(info)) {
        // Another process asking this one to end is no crash. A handler installed over ours that
        // passed the signal on decides what happens next; called directly, ours has been reset to
        // the default, and the signal ends the process as it would have without us.
        struct sigaction current
        {
        };
        ::sigaction(SIGABRT, nullptr, &current);
        // The reset leaves the flags as they were; only the handler tells.
        if (current.sa_handler == SIG_DFL) {
            ::raise(signalNumber);
        }
        errno = savedErrno;
        return;
    }
    writeMarker(signalNumber);
    errno = savedErrno;
    // SA_RESETHAND has put the default action back: raising again ends the process the way the
    // signal would have, with its exit status and core dump.
    ::raise(signalNumber);
}

} // namespace

void CrashMarker::note(int signalNumber)
{
    writeMarker(signalNumber);
}

bool CrashMarker::install(const QString &path)
{
    const QByteArray encoded = QFile::encodeName(path);
    if (encoded.isEmpty() || static_cast<size_t>(encoded.size()) >= sizeof(g_markerPath)) {
        return false;
    }

    // Handlers keep running while the path changes only if it never points at a half-written
    // name; block the signals meanwhile.
    sigset_t blocked;
    sigset_t previous;
    sigemptyset(&blocked);
    for (const int signalNumber : fatalSignals) {
        sigaddset(&blocked, signalNumber);
    }
    pthread_sigmask(SIG_BLOCK, &blocked, &previous);
    std::memcpy(g_markerPath, encoded.constData(), static_cast<size_t>(encoded.size()) + 1);
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);

    stack_t stack {};
    stack.ss_sp = g_alternateStack;
    stack.ss_size = sizeof(g_alternateStack);
    ::sigaltstack(&stack, nullptr);

    struct sigaction action
    {
    };
    action.sa_sigaction = onFatalSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_SIGINFO | SA_RESETHAND | SA_ONSTACK | SA_NODEFER;
    bool installed = true;
    for (const int signalNumber : fatalSignals) {
        installed = ::sigaction(signalNumber, &action, nullptr) == 0 && installed;
    }
    return installed;
}

std::optional<CrashMarker::Record> CrashMarker::take(const QString &path)
{
    QFile file(path);
    if (!file.exists()) {
        return std::nullopt;
    }
    Record record;
    record.time = QFileInfo(path).lastModified();
    // Only a file of ours is read: a FIFO left at the path would hold up the start.
    if (const RegularFile::Contents marker = RegularFile::read(path, 64);
        marker.status == RegularFile::Contents::Status::read) {
        const QList<QByteArray> fields = marker.bytes.split('\n').constFirst().trimmed().split(' ');
        bool signalOk = false;
        bool timeOk = false;
        const int signalNumber = fields.value(0).toInt(&signalOk);
        const qint64 seconds = fields.value(1).toLongLong(&timeOk);
        if (signalOk) {
            record.signalNumber = signalNumber;
        }
        if (timeOk) {
            record.time = QDateTime::fromSecsSinceEpoch(seconds);
        }
    }
    file.remove();
    return record;
}
