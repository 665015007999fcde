#include "kit/collections/LaunchCompletions.h"

#include <mutex>
#include <utility>
#include <vector>

namespace {

std::mutex completionsMutex;
std::vector<std::function<void()>> completions;

} // namespace

void LaunchCompletions::add(std::function<void()> completion)
{
    std::lock_guard guard(completionsMutex);
    completions.push_back(std::move(completion));
}

void LaunchCompletions::runFinishedLaunchingCompletions()
{
    std::vector<std::function<void()>> due;
    {
        std::lock_guard guard(completionsMutex);
        due.swap(completions);
    }
    for (const auto &completion : due) {
        completion();
    }
}
