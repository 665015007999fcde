#pragma once

#include <thread>
#include <vector>

// Runs `work(t)` for t in [0, count) on as many threads at once, and waits for all of them.
template<typename Work>
void onThreads(int count, Work work)
{
    std::vector<std::thread> threads;
    for (int t = 0; t < count; ++t) {
        threads.emplace_back(work, t);
    }
    for (auto &thread : threads) {
        thread.join();
    }
}
