#include "kit/collections/AtomicDictionary.h"

#include <gtest/gtest.h>

#include <QString>

#include <stdexcept>
#include <thread>
#include <vector>

using Counters = AtomicDictionary<QString, int>;

TEST(AtomicDictionary, SetReadBackAndRemove)
{
    Counters dictionary;
    EXPECT_EQ(dictionary.value(QStringLiteral("a")), std::nullopt);
    dictionary.setValue(QStringLiteral("a"), 1);
    EXPECT_EQ(dictionary.value(QStringLiteral("a")), 1);
    dictionary.setValue(QStringLiteral("a"), 2);
    EXPECT_EQ(dictionary.value(QStringLiteral("a")), 2);
    dictionary.setValue(QStringLiteral("a"), std::nullopt);
    EXPECT_EQ(dictionary.value(QStringLiteral("a")), std::nullopt);
    dictionary.setValue(QStringLiteral("b"), 3);
    dictionary.remove(QStringLiteral("b"));
    dictionary.remove(QStringLiteral("absent"));
    EXPECT_TRUE(dictionary.toDictionary().empty());
}

TEST(AtomicDictionary, AppendReplacesSharedKeysAndKeepsTheRest)
{
    Counters dictionary;
    dictionary.setValue(QStringLiteral("a"), 1);
    dictionary.setValue(QStringLiteral("b"), 2);
    dictionary.append({ { QStringLiteral("b"), 20 }, { QStringLiteral("c"), 30 } });
    const Counters::Dictionary expected { { QStringLiteral("a"), 1 }, { QStringLiteral("b"), 20 },
        { QStringLiteral("c"), 30 } };
    EXPECT_EQ(dictionary.toDictionary(), expected);
    auto keys = dictionary.keys();
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ(keys, (std::vector<QString> { QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c") }));
}

TEST(AtomicDictionary, UpdateChangesInsertsAndRemoves)
{
    Counters dictionary;
    dictionary.update(QStringLiteral("n"), [](std::optional<int> &value) {
        EXPECT_EQ(value, std::nullopt);
        value = 1;
    });
    const int result
        = dictionary.update(QStringLiteral("n"), [](std::optional<int> &value) { return *value += 4; });
    EXPECT_EQ(result, 5);
    EXPECT_EQ(dictionary.value(QStringLiteral("n")), 5);
    dictionary.update(QStringLiteral("n"), [](std::optional<int> &value) { value.reset(); });
    EXPECT_TRUE(dictionary.toDictionary().empty());
}

TEST(AtomicDictionary, UpdateThatThrowsKeepsItsChangeAndReportsTheError)
{
    Counters dictionary;
    dictionary.setValue(QStringLiteral("n"), 1);
    EXPECT_THROW(dictionary.update(QStringLiteral("n"),
                     [](std::optional<int> &value) {
                         *value = 2;
                         throw std::runtime_error("stop");
                     }),
        std::runtime_error);
    EXPECT_EQ(dictionary.value(QStringLiteral("n")), 2);
}

TEST(AtomicDictionary, DebugDescriptionQuotesStrings)
{
    Counters dictionary;
    EXPECT_EQ(dictionary.debugDescription(), QStringLiteral("[:]"));
    dictionary.setValue(QStringLiteral("a"), 1);
    EXPECT_EQ(dictionary.debugDescription(), QStringLiteral("[\"a\": 1]"));
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
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 1000; ++i) {
                dictionary.update(QStringLiteral("count"),
                    [](std::optional<int> &value) { value = value.value_or(0) + 1; });
            }
        });
    }
    for (auto &thread : threads) {
        thread.join();
    }
    EXPECT_EQ(dictionary.value(QStringLiteral("count")), 8000);
}

TEST(AtomicDictionaryConcurrency, ManyWritersAndReadersKeepEveryEntry)
{
    AtomicDictionary<int, int> dictionary;
    std::atomic<int> wrongReads { 0 };
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 500; ++i) {
                const int key = t * 1000 + i;
                dictionary.setValue(key, key * 2);
                if (dictionary.value(key) != key * 2) {
                    ++wrongReads;
                }
            }
        });
        threads.emplace_back([&] {
            for (int i = 0; i < 200; ++i) {
                for (const auto &[key, value] : dictionary.toDictionary()) {
                    if (value != key * 2) {
                        ++wrongReads;
                    }
                }
            }
        });
    }
    for (auto &thread : threads) {
        thread.join();
    }
    EXPECT_EQ(wrongReads.load(), 0);
    EXPECT_EQ(dictionary.toDictionary().size(), 2000u);
}
