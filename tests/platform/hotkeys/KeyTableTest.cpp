#include "platform/hotkeys/KeyTable.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(KeyTableTest, EveryKeyTranslatesBothWaysToItself)
{
    std::set<quint32> carbonCodes;
    for (const KeyTableEntry &entry : KeyTable::entries()) {
        SCOPED_TRACE(entry.carbonKeyCode);
        EXPECT_TRUE(carbonCodes.insert(entry.carbonKeyCode).second) << "code listed twice";
        EXPECT_EQ(KeyTable::forCarbonKeyCode(entry.carbonKeyCode), &entry);
        EXPECT_EQ(KeyTable::forKeysym(entry.keysym), &entry);
        EXPECT_EQ(KeyTable::forQtKey(entry.qtKey, entry.keypad), &entry);
    }
}

// A few positions checked against the keys they are on, so a shifted row shows.
TEST(KeyTableTest, KnownKeysSitWhereTheKeyboardHasThem)
{
    struct Case
    {
        quint32 carbonKeyCode;
        quint32 keysym;
        Qt::Key qtKey;
    };
    const Case cases[] = {
        { 0x00, 'a', Qt::Key_A },
        { 0x12, '1', Qt::Key_1 },
        { 0x32, '`', Qt::Key_QuoteLeft },
        { 0x24, 0xff0d, Qt::Key_Return },
        { 0x7B, 0xff51, Qt::Key_Left },
        { 0x7A, 0xffbe, Qt::Key_F1 },
        { 0x5A, 0xffd1, Qt::Key_F20 },
        { 0x53, 0xffb1, Qt::Key_1 },
        { 0x4C, 0xff8d, Qt::Key_Enter },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.carbonKeyCode);
        const KeyTableEntry *entry = KeyTable::forCarbonKeyCode(c.carbonKeyCode);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->keysym, c.keysym);
        EXPECT_EQ(entry->qtKey, c.qtKey);
    }

    // Shifted letters are their key; unknown keys are none.
    EXPECT_EQ(KeyTable::forKeysym('R'), KeyTable::forCarbonKeyCode(0x0F));
    EXPECT_EQ(KeyTable::forKeysym('!'), nullptr);
    EXPECT_EQ(KeyTable::forKeysym(0xff67), nullptr); // Menu
    EXPECT_EQ(KeyTable::forCarbonKeyCode(0x0A), nullptr); // the ISO key beside Shift
    EXPECT_EQ(KeyTable::forCarbonKeyCode(0x10000), nullptr);
    EXPECT_EQ(KeyTable::forQtKey(Qt::Key_Exclam, false), nullptr);
    // Only function keys may stand without a modifier.
    EXPECT_TRUE(KeyTable::isFunctionKey(*KeyTable::forCarbonKeyCode(0x7A)));
    EXPECT_TRUE(KeyTable::isFunctionKey(*KeyTable::forCarbonKeyCode(0x5A)));
    EXPECT_FALSE(KeyTable::isFunctionKey(*KeyTable::forCarbonKeyCode(0x0F)));
    EXPECT_FALSE(KeyTable::isFunctionKey(*KeyTable::forCarbonKeyCode(0x7B)));
}

} // namespace
