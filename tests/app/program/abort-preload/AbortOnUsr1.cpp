// Preloaded into the program under test: SIGUSR1 makes the process call abort() on itself, as a
// failed assertion would. An orderly end (exit(), a return from main) says so on stderr; an end
// that tears nothing down (_Exit) does not.
#include <csignal>
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

[[gnu::destructor]] void sayTornDown()
{
    constexpr char line[] = "Torn down\n";
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, line, sizeof line - 1);
}

} // namespace
