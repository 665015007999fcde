// A process for the signal tests: installs closures, says "ready" and waits for signals.
//   order  - a handler installed earlier, then two closures; the second exits with the signal
//   stuck  - one closure that never returns
#include "kit/foundation/system/SignalHandler.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include <unistd.h>

namespace {

void say(const std::string &line)
{
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

void earlierHandler(int signal)
{
    char text[32];
    const int length = std::snprintf(text, sizeof text, "earlier %d\n", signal);
    [[maybe_unused]] const ssize_t written = write(STDOUT_FILENO, text, static_cast<size_t>(length));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "order") {
        struct sigaction action
        {
        };
        action.sa_handler = earlierHandler;
        sigemptyset(&action.sa_mask);
        sigaction(SIGTERM, &action, nullptr);
        SignalHandler::install(
            SignalHandler::Signal::exitSignals(), [](int signal) { say("first " + std::to_string(signal)); });
        SignalHandler::install({ { SIGTERM } }, [](int signal) {
            say("second " + std::to_string(signal));
            QCoreApplication::exit(signal);
        });
    } else if (mode == "stuck") {
        SignalHandler::install({ { SIGTERM } }, [](int signal) {
            say("handling " + std::to_string(signal));
            ::sleep(60);
            say("survived");
        });
    } else {
        return 2;
    }
    say("ready");
    return QCoreApplication::exec();
}
