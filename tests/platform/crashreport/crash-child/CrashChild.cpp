// Usage: crashreport_crash_child <database directory> <segv|fifo-then-segv|abort|fpe|abort-from-outside>
// fifo-then-segv puts a FIFO, which nothing reads, where the crash marker goes before it crashes.
#include "platform/crashreport/CrashReportClient.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdlib>
#include <cstring>

#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Out of line, so the compiler cannot prove the pointer null and drop the write.
[[gnu::noinline]] void writeThrough(volatile int *pointer)
{
    *pointer = 1;
}

volatile int *nullPointer = nullptr;

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 3) {
        return 2;
    }
    CrashReportOptions options;
    options.databasePath = QString::fromLocal8Bit(argv[1]);
    CrashReportClient client(options);
    client.start();

    if (std::strcmp(argv[2], "fifo-then-segv") == 0) {
        ::mkfifo((std::string(argv[1]) + "/crashed").c_str(), 0600);
        writeThrough(nullPointer);
    } else if (std::strcmp(argv[2], "segv") == 0) {
        writeThrough(nullPointer);
    } else if (std::strcmp(argv[2], "abort") == 0) {
        std::abort();
    } else if (std::strcmp(argv[2], "fpe") == 0) {
        std::raise(SIGFPE);
    } else if (std::strcmp(argv[2], "abort-from-outside") == 0) {
        if (::fork() == 0) {
            ::kill(::getppid(), SIGABRT);
            ::_exit(0);
        }
        for (;;) {
            ::pause();
        }
    }
    return 0;
}
