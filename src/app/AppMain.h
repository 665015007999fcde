#pragma once

#include <chrono>

class KwKit;
class UserDefaults;

// The program: launch bookkeeping, crash reporting and the one-time migration, in that order,
// before the shared state exists.
class AppMain
{
public:
    AppMain();

    // How long the end waits for work on the sound server (a state change, the end sound) once the
    // event loop has ended; what is still waiting on the server then is left behind.
    static constexpr std::chrono::seconds stuckWorkLimit { 3 };

    // The whole program, from the command line to the end of the event loop; answers the exit
    // status.
    static int main(int argc, char **argv);

    // Stores "previousRecording" and "defaultOutputDirectory" as bookmark data, once per
    // installation history and never on its first launch.
    static void migrateSandboxBookmarks(UserDefaults &database, bool isFirstLaunch);

private:
    KwKit &m_kwkit;
};
