// Preloaded into the program under test: SIGUSR1 makes the process call abort() on itself, as a
// failed assertion would.
#include <csignal>
#include <cstdlib>

namespace {

void abortNow(int)
{
    std::abort();
}

[[gnu::constructor]] void install()
{
    std::signal(SIGUSR1, abortNow);
}

} // namespace
