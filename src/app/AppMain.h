#pragma once

class KwKit;
class UserDefaults;

// The program: launch bookkeeping, crash reporting and the one-time migration, in that order,
// before the shared state exists.
class AppMain
{
public:
    AppMain();

    // The whole program, from the command line to the end of the event loop; answers the exit
    // status.
    static int main(int argc, char **argv);

    // Stores "previousRecording" and "defaultOutputDirectory" as bookmark data, once per
    // installation history and never on its first launch.
    static void migrateSandboxBookmarks(UserDefaults &database, bool isFirstLaunch);

private:
    KwKit &m_kwkit;
};
