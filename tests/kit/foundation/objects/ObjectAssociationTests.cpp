#include "kit/foundation/objects/DeinitObserver.h"
#include "kit/foundation/objects/MenuItemCancellables.h"
#include "kit/foundation/objects/ObjectAssociation.h"

#include "Threads.h"

#include <QAction>
#include <QObject>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

TEST(ObjectAssociationTest, EachAssociationIsItsOwnSlotOnEachObjectReadingItsDefaultUntilSet)
{
    ObjectAssociation<int> first(-1);
    ObjectAssociation<int> second(-2);
    QObject a;
    QObject b;
    first.set(&a, 10);
    second.set(&a, 20);
    EXPECT_EQ(first.get(&a), 10);
    EXPECT_EQ(second.get(&a), 20);
    EXPECT_EQ(first.get(&b), -1);
}

TEST(ObjectAssociationTest, ARetainedValueLivesExactlyAsLongAsItsObjectAndAnAssignedOneIsNotKeptAlive)
{
    ObjectAssociation<std::shared_ptr<int>> association(nullptr, AssociationPolicy::retainNonatomic);
    std::weak_ptr<int> watch;
    auto object = std::make_unique<QObject>();
    {
        auto value = std::make_shared<int>(7);
        watch = value;
        association.set(object.get(), value);
    }
    ASSERT_FALSE(watch.expired());
    EXPECT_EQ(*association.get(object.get()), 7);

    // Replacing releases the old value at once.
    association.set(object.get(), std::make_shared<int>(8));
    EXPECT_TRUE(watch.expired());

    std::weak_ptr<int> second = association.get(object.get());
    object.reset();
    EXPECT_TRUE(second.expired());

    ObjectAssociation<std::shared_ptr<int>> assigned(nullptr, AssociationPolicy::assign);
    QObject holder;
    auto value = std::make_shared<int>(3);
    assigned.set(&holder, value);
    EXPECT_EQ(assigned.get(&holder), value);
    value.reset();
    EXPECT_EQ(assigned.get(&holder), nullptr);

    ObjectAssociation<QObject *> parent(nullptr, AssociationPolicy::assign);
    auto other = std::make_unique<QObject>();
    parent.set(&holder, other.get());
    EXPECT_EQ(parent.get(&holder), other.get());
    other.reset();
    EXPECT_EQ(parent.get(&holder), nullptr);
}

TEST(ObjectAssociationTest, ADeinitObserverAndAMenuItemsSubscriptionsEndWithTheirObject)
{
    ObjectAssociation<std::shared_ptr<DeinitObserver>> association(nullptr, AssociationPolicy::retain);
    int runs = 0;
    auto object = std::make_unique<QObject>();
    association.set(object.get(), std::make_shared<DeinitObserver>([&] { ++runs; }));
    auto item = std::make_unique<QAction>();
    keepCancellable(item.get(), Events::AnyCancellable([&] { ++runs; }));
    keepCancellable(item.get(), Events::AnyCancellable([&] { ++runs; }));
    EXPECT_EQ(runs, 0);
    object.reset();
    EXPECT_EQ(runs, 1);
    item.reset();
    EXPECT_EQ(runs, 3);
}

TEST(ObjectAssociationTest, ConcurrentChangesOfOneSlotAreAllKept)
{
    ObjectAssociation<std::vector<int>> association;
    QObject object;
    onThreads(4, [&](int t) {
        for (int i = 0; i < 250; ++i) {
            association.modify(&object, [&](std::vector<int> &values) { values.push_back(t * 1000 + i); });
        }
    });
    EXPECT_EQ(association.get(&object).size(), 1000u);
}

} // namespace
