#include "kit/collections/AggregateHashable.h"

#include <gtest/gtest.h>

#include <QString>
#include <QUrl>

#include <unordered_set>

TEST(AggregateHashable, KeysWithEqualElementsAreEqualAndHashEqually)
{
    const AggregateHashable first({ QStringLiteral("file"), 12, QUrl(QStringLiteral("file:///tmp/a")) });
    const AggregateHashable second({ QStringLiteral("file"), 12, QUrl(QStringLiteral("file:///tmp/a")) });
    EXPECT_EQ(first, second);
    EXPECT_EQ(first.cachedHashValue(), second.cachedHashValue());
    EXPECT_EQ(std::hash<AggregateHashable> {}(first), first.cachedHashValue());
    std::unordered_set<AggregateHashable> keys { first };
    EXPECT_TRUE(keys.contains(second));
}

TEST(AggregateHashable, OrderCountAndTypeOfElementsMatter)
{
    const AggregateHashable key({ 1, 2 });
    EXPECT_NE(key, AggregateHashable({ 2, 1 }));
    EXPECT_NE(key, AggregateHashable({ 1, 2, 3 }));
    EXPECT_NE(key, AggregateHashable({ 1 }));
    EXPECT_NE(key, AggregateHashable({ 1LL, 2 }));
    EXPECT_NE(AggregateHashable({ QStringLiteral("1") }), AggregateHashable({ 1 }));
}

TEST(AnyHashable, HoldsTextAsAStringAndGivesBackTheValue)
{
    char buffer[] = "bundle";
    const AnyHashable fromLiteral("bundle");
    const AnyHashable fromBuffer(static_cast<const char *>(buffer));
    EXPECT_EQ(fromLiteral, fromBuffer);
    ASSERT_NE(fromLiteral.get<QString>(), nullptr);
    EXPECT_EQ(*fromLiteral.get<QString>(), QStringLiteral("bundle"));
    EXPECT_EQ(fromLiteral.get<int>(), nullptr);
}
