// Preloaded into the program under test: SIGUSR1 makes the process call abort() on itself, as a
// failed assertion would. An orderly end (exit(), a return from main) says so on stderr; an end
// that tears nothing down (_Exit) does not.
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include <unistd.h>

namespace {

void abortNow(int)
{
    std::abort();
}

[[gnu::constructor]] void install()
{
    std::signal(SIGUSR1, abortNow);
}

// With the process's number: a child that inherits the preload (GStreamer's plugin scanner) says so
// too.
[[gnu::destructor]] void sayTornDown()
{
    char line[64];
    const int length = std::snprintf(line, sizeof line, "Torn down: %d\n", int(::getpid()));
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, line, std::size_t(length));
}

} // namespace
