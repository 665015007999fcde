#pragma once

// The application's answer when it is told to quit: the quit confirmation of the shared state.
class AppDelegate
{
public:
    // Makes every quit of the application ask applicationShouldTerminate() first.
    static void install();
    static bool applicationShouldTerminate();
};
