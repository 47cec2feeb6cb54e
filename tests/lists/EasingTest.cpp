#include "lists/Easing.h"

#include <gtest/gtest.h>

using namespace vantrel;

TEST(Easing, PositionsFollowTheCurveAndEndExactlyAtTheTarget) {
    // 250 ms: 51 entries from 0 to 480.
    auto table = easeTable(0, 480, easeEntries(250));
    ASSERT_EQ(table.size(), 51u);
    EXPECT_EQ(table.front(), 0);
    EXPECT_EQ(table.back(), 480);
    // Two thirds of the table: 80 % of the way, where the linear start ends.
    EXPECT_EQ(table[34], 384);
    for (size_t i = 1; i < table.size(); ++i)
        EXPECT_LE(table[i - 1], table[i]) << "entry " << i;
    // Backwards works the same way.
    auto back = easeTable(480, 0, 51);
    EXPECT_EQ(back.front(), 480);
    EXPECT_EQ(back.back(), 0);
}

TEST(Easing, ZeroEntriesGiveOneAtTheTarget) {
    EXPECT_EQ(easeTable(10, 20, 0), std::vector<int>{20});
    EXPECT_EQ(easeTable(10, 20, 1), std::vector<int>{20});
}
