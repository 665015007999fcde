#pragma once

#include <functional>

// Work kept for the moment the application has finished launching.
class LaunchCompletions
{
public:
    LaunchCompletions() = delete;

    static void add(std::function<void()> completion);

    // Runs every completion added so far, in the order added, each once. A completion added
    // while they run is kept for the next run.
    static void runFinishedLaunchingCompletions();
};
