#include "kit/collections/Tuple.h"
#include "kit/collections/Either.h"

#include <gtest/gtest.h>

#include <QString>

TEST(Either, EveryLeftComesBeforeEveryRight)
{
    using Choice = Either<int, int>;
    struct Case
    {
        Choice left;
        Choice right;
        bool less;
        bool equal;
    };
    const Case cases[] = {
        { Choice::left(100), Choice::right(-1), true, false },
        { Choice::right(-1), Choice::left(100), false, false },
        { Choice::left(1), Choice::left(2), true, false },
        { Choice::right(2), Choice::right(1), false, false },
        { Choice::left(3), Choice::right(3), true, false },
        { Choice::right(3), Choice::right(3), false, true },
    };
    for (const Case &test : cases) {
        EXPECT_EQ(test.left < test.right, test.less);
        EXPECT_EQ(test.left == test.right, test.equal);
        EXPECT_EQ(test.left >= test.right, !test.less);
    }
    const std::hash<Choice> hash;
    EXPECT_NE(hash(Choice::left(3)), hash(Choice::right(3)));
    using Mixed = Either<int, QString>;
    EXPECT_EQ(*Mixed::right(QStringLiteral("x")).rightValue(), QStringLiteral("x"));
    EXPECT_EQ(Mixed::right(QStringLiteral("x")).leftValue(), nullptr);
}

TEST(Tuple, ComparesAndHashesFieldByField)
{
    using Pair = Tuple2<int, QString>;
    EXPECT_EQ((Pair { 1, "a" }), (Pair { 1, "a" }));
    EXPECT_NE((Pair { 1, "a" }), (Pair { 1, "b" }));
    EXPECT_NE(std::hash<Pair> {}(Pair { 1, "a" }), std::hash<Pair> {}(Pair { 1, "b" }));
    using Triple = Tuple3<int, int, int>;
    EXPECT_NE(std::hash<Triple> {}(Triple { 1, 2, 3 }), std::hash<Triple> {}(Triple { 3, 2, 1 }));
}
