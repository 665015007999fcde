#include "kit/collections/LaunchCompletions.h"
#include "kit/collections/ViewStorage.h"

#include <gtest/gtest.h>

#include <QString>

#include <vector>

TEST(ViewStorage, CopiesShareOneValue)
{
    const ViewStorage<QString> storage(QStringLiteral("first"));
    const ViewStorage<QString> copy = storage;
    copy.setValue(QStringLiteral("second"));
    EXPECT_EQ(storage.value(), QStringLiteral("second"));
    storage.value() += QStringLiteral("!");
    EXPECT_EQ(copy.value(), QStringLiteral("second!"));
    const ViewStorage<QString> separate(QStringLiteral("first"));
    EXPECT_EQ(separate.value(), QStringLiteral("first"));
}

TEST(LaunchCompletions, RunEachCompletionOnceInTheOrderAdded)
{
    std::vector<int> ran;
    LaunchCompletions::runFinishedLaunchingCompletions();
    LaunchCompletions::add([&] {
        ran.push_back(1);
        // Added during a run: kept for the next one.
        LaunchCompletions::add([&] { ran.push_back(3); });
    });
    LaunchCompletions::add([&] { ran.push_back(2); });
    LaunchCompletions::runFinishedLaunchingCompletions();
    EXPECT_EQ(ran, (std::vector<int> { 1, 2 }));
    LaunchCompletions::runFinishedLaunchingCompletions();
    EXPECT_EQ(ran, (std::vector<int> { 1, 2, 3 }));
    LaunchCompletions::runFinishedLaunchingCompletions();
    EXPECT_EQ(ran, (std::vector<int> { 1, 2, 3 }));
}
