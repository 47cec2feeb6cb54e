// The number rule that ties messages and calls to contacts, and the index that answers
// it for a whole list, checked against the plain walk on seeded random lists.

#include "mapi/PhoneNumber.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace vantrel::mapi;

TEST(PhoneNumber, NationalAndInternationalFormsOfOneNumberAreOne) {
    EXPECT_EQ(normalizePhoneNumber(u"+33 (0)6 12-34-56-78"), u"12345678");
    EXPECT_EQ(normalizePhoneNumber(u"06 12 34 56 78"), u"12345678");
    EXPECT_EQ(normalizePhoneNumber(u"+41 79"), u"+4179");
    EXPECT_EQ(normalizePhoneNumber(u"Swisscom"), u"");
    EXPECT_TRUE(normalizedNumbersMatch(normalizePhoneNumber(u"+33 6 12 34 56 78"),
                                       normalizePhoneNumber(u"06 12 34 56 78")));
}

TEST(PhoneNumber, ContainmentNeedsALongContactNumberAndAMessageNumberOfFourOrMore) {
    EXPECT_TRUE(normalizedNumbersMatch(u"1234567", u"4567"));
    EXPECT_FALSE(normalizedNumbersMatch(u"4567", u"1234567")) << "the contact's is the long one";
    EXPECT_FALSE(normalizedNumbersMatch(u"1234567", u"567"));
    EXPECT_FALSE(normalizedNumbersMatch(u"123456", u"3456"));
    EXPECT_TRUE(normalizedNumbersMatch(u"123456", u"123456"));
    // b containing a: a 7-character contact number inside an 8-character one.
    EXPECT_TRUE(normalizedNumbersMatch(u"2345678", u"12345678"));
    EXPECT_TRUE(normalizedNumbersMatch(u"", u""));
    EXPECT_FALSE(normalizedNumbersMatch(u"", u"1234"));
}

namespace {

// One entry's numbers and whether it answers an empty number (an unknown-sender row).
struct Entry {
    std::vector<std::u16string> numbers;
    bool emptyMatches = false;
};

// The walk the index replaces: the first entry whose numbers match.
uint32_t walk(const std::vector<Entry>& entries, std::u16string_view number) {
    for (uint32_t i = 0; i < entries.size(); ++i) {
        if (number.empty() && !entries[i].emptyMatches)
            continue;
        for (const std::u16string& mine : entries[i].numbers)
            if (normalizedNumbersMatch(normalizePhoneNumber(mine), normalizePhoneNumber(number)))
                return i;
    }
    return NumberIndex::none;
}

std::u16string randomNumber(std::mt19937& random) {
    // Short codes, national and international forms, letters-only senders, all drawn
    // from few digits so that numbers often overlap.
    static const char16_t* pieces[] = {u"+", u"0", u"1", u"2", u"3", u" ", u"-", u"(0)", u"Info"};
    std::u16string number;
    int length = std::uniform_int_distribution<int>(0, 12)(random);
    for (int i = 0; i < length; ++i)
        number += pieces[std::uniform_int_distribution<size_t>(0, std::size(pieces) - 1)(random)];
    return number;
}

} // namespace

TEST(NumberIndex, FindsTheSameEntryAsAWalkOverTheList) {
    for (unsigned seed = 1; seed <= 40; ++seed) {
        std::mt19937 random(seed);
        std::vector<Entry> entries(std::uniform_int_distribution<int>(1, 60)(random));
        NumberIndex index;
        for (uint32_t i = 0; i < entries.size(); ++i) {
            entries[i].emptyMatches = random() % 5 == 0;
            int count =
                entries[i].emptyMatches ? 1 : std::uniform_int_distribution<int>(0, 3)(random);
            for (int n = 0; n < count; ++n) {
                entries[i].numbers.push_back(randomNumber(random));
                index.add(i, entries[i].numbers.back(), entries[i].emptyMatches);
            }
        }
        for (int probe = 0; probe < 300; ++probe) {
            std::u16string number = randomNumber(random);
            ASSERT_EQ(index.find(number), walk(entries, number))
                << "seed " << seed << ", number of " << number.size() << " characters";
        }
    }
}
