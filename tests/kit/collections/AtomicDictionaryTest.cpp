#include "kit/collections/AtomicDictionary.h"

#include "Threads.h"

#include <gtest/gtest.h>

#include <QString>

#include <stdexcept>
#include <vector>

using Counters = AtomicDictionary<QString, int>;

TEST(AtomicDictionary, SetAppendAndRemove)
{
    Counters dictionary;
    dictionary.setValue("a", 1);
    dictionary.setValue("a", 2);
    dictionary.setValue("b", 3);
    dictionary.setValue("b", std::nullopt);
    dictionary.setValue("d", 4);
    dictionary.remove("d");
    dictionary.remove("absent");
    EXPECT_EQ(dictionary.toDictionary(), (Counters::Dictionary { { "a", 2 } }));
    dictionary.append({ { "a", 20 }, { "c", 30 } });
    EXPECT_EQ(dictionary.toDictionary(), (Counters::Dictionary { { "a", 20 }, { "c", 30 } }));
    auto keys = dictionary.keys();
    std::ranges::sort(keys);
    EXPECT_EQ(keys, (std::vector<QString> { "a", "c" }));
}

TEST(AtomicDictionary, UpdateChangesInsertsRemovesAndKeepsTheChangeOfAThrowingBlock)
{
    Counters dictionary;
    dictionary.update("n", [](std::optional<int> &value) {
        EXPECT_EQ(value, std::nullopt);
        value = 1;
    });
    EXPECT_EQ(dictionary.update("n", [](std::optional<int> &value) { return *value += 4; }), 5);
    EXPECT_EQ(dictionary.value("n"), 5);
    EXPECT_THROW(dictionary.update("n",
                     [](std::optional<int> &value) {
                         *value = 2;
                         throw std::runtime_error("stop");
                     }),
        std::runtime_error);
    EXPECT_EQ(dictionary.value("n"), 2);
    dictionary.update("n", [](std::optional<int> &value) { value.reset(); });
    EXPECT_TRUE(dictionary.toDictionary().empty());
}

TEST(AtomicDictionary, IterationWalksASnapshotTakenWhenItBegins)
{
    Counters dictionary;
    dictionary.setValue("a", 1);
    auto iterator = dictionary.begin();
    dictionary.setValue("b", 2);
    std::vector<std::pair<QString, int>> seen;
    for (; iterator != dictionary.end(); ++iterator) {
        seen.emplace_back(iterator->first, iterator->second);
    }
    EXPECT_EQ(seen, (std::vector<std::pair<QString, int>> { { "a", 1 } }));
    int total = 0;
    for (const auto &[key, value] : dictionary) {
        total += value;
    }
    EXPECT_EQ(total, 3);
}

TEST(AtomicDictionary, DestroyedRightAfterAWriteHoldsNothingBack)
{
    auto dictionary = std::make_unique<AtomicDictionary<int, std::shared_ptr<int>>>();
    auto value = std::make_shared<int>(1);
    dictionary->setValue(1, value);
    EXPECT_EQ(value.use_count(), 2);
    dictionary.reset();
    EXPECT_EQ(value.use_count(), 1);
}

TEST(AtomicDictionaryConcurrency, ConcurrentUpdatesOfOneKeyAreNeverLost)
{
    Counters dictionary;
    onThreads(8, [&](int) {
        for (int i = 0; i < 1000; ++i) {
            dictionary.update("count", [](std::optional<int> &value) { value = value.value_or(0) + 1; });
        }
    });
    EXPECT_EQ(dictionary.value("count"), 8000);
}

TEST(AtomicDictionaryConcurrency, ManyWritersAndReadersKeepEveryEntry)
{
    AtomicDictionary<int, int> dictionary;
    std::atomic<int> wrongReads { 0 };
    onThreads(8, [&](int t) {
        for (int i = 0; i < 500; ++i) {
            if (t % 2 == 0) {
                const int key = t * 1000 + i;
                dictionary.setValue(key, key * 2);
                wrongReads += dictionary.value(key) != key * 2;
            } else if (i % 2 == 0) {
                for (const auto &[key, value] : dictionary.toDictionary()) {
                    wrongReads += value != key * 2;
                }
            }
        }
    });
    EXPECT_EQ(wrongReads.load(), 0);
    EXPECT_EQ(dictionary.toDictionary().size(), 2000u);
}
