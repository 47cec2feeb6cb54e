#include "messaging/SmsCharacterCounter.h"

#include <gtest/gtest.h>

using namespace vantrel;

namespace {

std::u16string plain(size_t n) {
    return std::u16string(n, u'a');
}

// n characters, the last one above code 255.
std::u16string wide(size_t n) {
    return std::u16string(n - 1, u'a') + u"Ω";
}

} // namespace

TEST(SmsCharacterCounter, PlainTextCountsDownFrom160ThenInPartsOf153) {
    EXPECT_EQ(smsCounterText(u""), u"(160/160)");
    EXPECT_EQ(smsCounterText(plain(10)), u"(150/160)");
    EXPECT_EQ(smsCounterText(plain(160)), u"(0/160)");
    EXPECT_EQ(smsCounterText(plain(161)), u"(145/2)");
    EXPECT_EQ(smsCounterText(plain(200)), u"(106/2)");
    EXPECT_EQ(smsCounterText(plain(305)), u"(1/2)");
    EXPECT_EQ(smsCounterText(plain(306)), u"(153/3)");
    // Code 255 is still the plain alphabet's.
    EXPECT_EQ(smsCounterText(std::u16string(161, u'\u00FF')), u"(145/2)");
}

TEST(SmsCharacterCounter, OneCharacterAbove255CountsFrom70ThenInPartsOf67) {
    EXPECT_EQ(smsCounterText(u"Ω"), u"(69/70)");
    EXPECT_EQ(smsCounterText(wide(70)), u"(0/70)");
    EXPECT_EQ(smsCounterText(wide(71)), u"(63/2)");
    EXPECT_EQ(smsCounterText(std::u16string(u"Ω") + plain(70)), u"(63/2)");
    EXPECT_EQ(smsCounterText(wide(133)), u"(1/2)");
    // A character outside the first plane takes two code units, as the modem counts it.
    EXPECT_EQ(smsCounterText(std::u16string(u"\U0001F642") + plain(68)), u"(0/70)");
}
