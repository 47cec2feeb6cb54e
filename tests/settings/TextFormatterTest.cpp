#include "settings/TextFormatter.h"

#include <gtest/gtest.h>

#include <random>

namespace vantrel {
namespace {

TEST(TextFormatter, TheProductsSpecifiers) {
    EXPECT_EQ(formatText(u"Call %s", {u"Anna"}), u"Call Anna");
    EXPECT_EQ(formatText(u"(%i/%i)", {3, 12}), u"(3/12)");
    EXPECT_EQ(formatText(u"> %s", {u"B"}), u"> B");
    EXPECT_EQ(formatText(u" (%x)", {static_cast<uint32_t>(0x8007000E)}), u" (8007000e)");
    EXPECT_EQ(formatText(u" (%x)", {-1}), u" (ffffffff)");
    EXPECT_EQ(formatText(u"100%% of %i", {-42}), u"100% of -42");
    EXPECT_EQ(formatText(u"%s", {7}), u"7");
}

TEST(TextFormatter, HostileFormatsDrawTextAndReadNothingExtra) {
    EXPECT_EQ(formatText(u"%s%s%n", {u"a"}), u"a%n");
    EXPECT_EQ(formatText(u"%p %08x %.*s %", {}), u"%p %08x %.*s %");
    EXPECT_EQ(formatText(u"%i%i%i", {1}), u"1");
    EXPECT_EQ(formatText(u"%", {u"x"}), u"%");
}

TEST(TextFormatter, RandomFormatsNeverReadPastTheArguments) {
    std::mt19937 random(11);
    const char16_t alphabet[] = u"%sixdn%*.-9 ab%";
    for (int round = 0; round < 2000; ++round) {
        std::u16string format;
        for (int i = random() % 20; i > 0; --i)
            format += alphabet[random() % (std::size(alphabet) - 1)];
        std::u16string out = formatText(format, {u"ARG", 5});
        // At most the two arguments appear; everything else is the format's own text.
        EXPECT_LE(out.size(), format.size() + 3 + 1);
    }
}

} // namespace
} // namespace vantrel
