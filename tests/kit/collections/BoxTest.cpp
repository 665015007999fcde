#include "kit/collections/Box.h"
#include "kit/collections/LazyBox.h"
#include "kit/collections/WeakArray.h"
#include "kit/collections/WeakBox.h"

#include "Threads.h"

#include <gtest/gtest.h>

#include <QObject>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace {

struct Account
{
    int number = 0;
    QString owner;

    void setOwner(QString name) { owner = std::move(name); }
    // Told apart by number alone.
    friend bool operator==(const Account &left, const Account &right) { return left.number == right.number; }
    friend auto operator<=>(const Account &left, const Account &right)
    {
        return left.number <=> right.number;
    }
};

} // namespace

template<>
struct std::hash<Account>
{
    std::size_t operator()(const Account &account) const { return std::hash<int> {}(account.number); }
};

TEST(Box, ComparesHashesAndDescribesTheValueNotTheBox)
{
    const Box<int> five(5);
    const Box<int> otherFive(5);
    const MutableBox<int> six(6);
    EXPECT_EQ(five, otherFive);
    EXPECT_EQ(std::hash<Box<int>> {}(five), std::hash<Box<int>> {}(otherFive));
    EXPECT_LT(five, Box<int>(6));
    EXPECT_EQ(five.debugDescription(), "Box(5)");
    EXPECT_EQ(six.debugDescription(), "MutableBox(6)");
    EXPECT_EQ(Box<QString>("x").description(), "\"x\"");

    MutableBox<int> changing(1);
    changing.setWrappedValue(2);
    ++changing.wrappedValue();
    EXPECT_EQ(changing, MutableBox<int>(3));
}

// Copied, moved or assigned, a box refers to the same value.
TEST(Box, CopiesAreReferencesToOneValue)
{
    MutableBox<QString> original(QStringLiteral("first"));
    MutableBox<QString> copy = original;
    copy.setWrappedValue(QStringLiteral("second"));
    original.wrappedValue().append(QStringLiteral("!"));
    EXPECT_EQ(copy.wrappedValue(), "second!");
    MutableBox<QString> moved = std::move(copy);
    MutableBox<QString> assigned(QStringLiteral("other"));
    assigned = original;
    moved.setWrappedValue(QStringLiteral("third"));
    EXPECT_EQ(assigned.wrappedValue(), "third");
    EXPECT_EQ(copy.wrappedValue(), "third") << "the box moved from keeps its value";

    const Box<std::vector<int>> box(std::vector<int> { 1, 2 });
    const Box<std::vector<int>> boxCopy = box;
    EXPECT_EQ(&box.wrappedValue(), &boxCopy.wrappedValue());
}

TEST(LazyBox, OrdersByTheComputedValues)
{
    for (const auto &[left, right] : std::vector<std::pair<int, int>> { { 1, 2 }, { 2, 1 }, { 3, 3 } }) {
        const LazyBox<int> l([left = left] { return left; });
        const LazyBox<int> r([right = right] { return right; });
        EXPECT_EQ(std::make_tuple(l<r, l <= r, l> r, l >= r, l == r),
            std::make_tuple(left<right, left <= right, left> right, left >= right, left == right))
            << left << " against " << right;
    }
}

TEST(LazyBox, ComputesOnceForManyConcurrentFirstReadersAndAgainAfterAFailure)
{
    std::atomic<int> calls = 0;
    LazyBox<std::vector<int>> box([&calls] {
        ++calls;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return std::vector<int> { 1, 2, 3 };
    });
    EXPECT_EQ(calls, 0) << "nothing runs at creation";

    // The first reader's computation lasts long enough for the others to arrive meanwhile.
    std::vector<const std::vector<int> *> seen(8, nullptr);
    onThreads(8, [&](int index) { seen[index] = &box.wrappedValue(); });
    EXPECT_EQ(calls, 1);
    for (const auto *value : seen) {
        EXPECT_EQ(value, &box.wrappedValue());
    }
    EXPECT_EQ(box.wrappedValue(), (std::vector<int> { 1, 2, 3 }));

    int tries = 0;
    LazyBox<int> failingFirst([&tries] { return ++tries == 1 ? throw std::runtime_error("not yet") : 7; });
    EXPECT_THROW(failingFirst.wrappedValue(), std::runtime_error);
    EXPECT_EQ(failingFirst.wrappedValue(), 7) << "a computation that threw is tried again";
    EXPECT_EQ(tries, 2);
}

TEST(WeakBox, ReadsEmptyAndIgnoresWritesOnceTheObjectIsGone)
{
    auto account = std::make_shared<Account>(Account { 1, "Ada" });
    WeakBox<Account> box(account);
    EXPECT_EQ(box.read(&Account::owner), "Ada");
    box.write(&Account::number, 2);
    box.write(&Account::setOwner, "Bea");
    box.write(&Account::number, std::nullopt);
    EXPECT_EQ(account->number, 2);
    EXPECT_EQ(account->owner, "Bea");
    EXPECT_EQ(account.use_count(), 1) << "the box does not keep the object";

    account.reset();
    EXPECT_TRUE(box.isNil());
    EXPECT_EQ(box.wrappedValue(), nullptr);
    EXPECT_EQ(box.read(&Account::number), std::nullopt);
    box.write(&Account::number, 3);
    box.write(&Account::setOwner, "Cy");
}

TEST(WeakBox, ObjectsThatAreGoneCountAsNone)
{
    auto first = std::make_shared<Account>(Account { 1, {} });
    auto second = std::make_shared<Account>(Account { 2, {} });
    auto equalToFirst = std::make_shared<Account>(Account { 1, {} });
    const WeakBox<Account> firstBox(first);
    const WeakBox<Account> secondBox(second);
    const WeakBox<Account> equalBox(equalToFirst);
    const std::hash<WeakBox<Account>> hash;

    EXPECT_EQ(firstBox, equalBox);
    EXPECT_EQ(hash(firstBox), hash(equalBox));
    EXPECT_LT(firstBox, secondBox);

    second.reset();
    EXPECT_NE(firstBox, secondBox);
    EXPECT_FALSE(firstBox < secondBox);
    EXPECT_FALSE(secondBox < firstBox);

    first.reset();
    EXPECT_EQ(firstBox, secondBox);
    EXPECT_FALSE(firstBox < secondBox);
    EXPECT_EQ(hash(firstBox), hash(secondBox));
    EXPECT_NE(hash(firstBox), hash(equalBox));
}

// Copied, moved or assigned, a weak box is the same box, for shared and for Qt objects alike.
TEST(WeakBox, CopiesAreTheSameBox)
{
    const auto first = std::make_shared<Account>(Account { 1, {} });
    const auto second = std::make_shared<Account>(Account { 2, {} });
    WeakBox<Account> original(first);
    WeakBox<Account> copy = original;
    copy.setWrappedValue(second);
    EXPECT_EQ(original.wrappedValue(), second);
    WeakBox<Account> moved = std::move(copy);
    WeakBox<Account> assigned;
    assigned = original;
    moved.setWrappedValue(nullptr);
    EXPECT_TRUE(assigned.isNil());
    EXPECT_TRUE(copy.isNil()) << "the box moved from is still the same box";
    assigned.setWrappedValue(first);
    EXPECT_EQ(original.read(&Account::number), 1);

    QObject object;
    WeakBox<QObject> empty;
    const WeakBox<QObject> alias = empty;
    empty.setWrappedValue(&object);
    EXPECT_EQ(alias.wrappedValue(), &object);
}

TEST(WeakArray, KeepsEntriesOfObjectsThatAreGone)
{
    auto first = std::make_unique<QObject>();
    auto second = std::make_unique<QObject>();
    auto third = std::make_unique<QObject>();
    const WeakArray<QObject> array { first.get(), second.get(), third.get() };
    second.reset();
    EXPECT_EQ(array.count(), 3u);
    EXPECT_EQ(std::vector<QObject *>(array.begin(), array.end()),
        (std::vector<QObject *> { first.get(), nullptr, third.get() }));
    EXPECT_EQ(array[2], third.get());
}
