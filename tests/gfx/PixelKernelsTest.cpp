#include "platform/gfx/PixelKernels.h"

#include "tests/gfx/GfxReference.h"

#include <gtest/gtest.h>

#include <vector>

using namespace vantrel::platform;
using namespace vantrel::test;

namespace {

TEST(PixelKernels, HalfBlackOverWhiteGivesHalfIntensity) {
    Pixel565 row[3] = {0xFFFF, 0xFFFF, 0xFFFF};
    kernels::alphaFillRow(row, 3, rgb(0, 0, 0), 128);
    for (Pixel565 p : row) {
        EXPECT_EQ(p >> 11, 15);
        EXPECT_EQ((p >> 5) & 0x3F, 31);
        EXPECT_EQ(p & 0x1F, 15);
    }
}

TEST(PixelKernels, AlphaFillMatchesReferenceOnRandomRows) {
    std::mt19937 random(11);
    for (int round = 0; round < 400; ++round) {
        const int count = randomIn(random, 0, 97);
        const Colour colour = random() & 0xFFFFFF;
        // Outside 0..256 the alpha is limited first.
        const int alpha = randomIn(random, -20, 300);
        std::vector<Pixel565> row = randomRow(random, count), expected = row;
        for (auto& p : expected)
            p = referenceBlend(p, toPixel565(colour), std::clamp(alpha, 0, 256));
        kernels::alphaFillRow(row.data(), count, colour, alpha);
        ASSERT_EQ(row, expected) << "round " << round << " colour " << colour << " alpha " << alpha;
    }
}

TEST(PixelKernels, MaskBlendMatchesReferenceOnRandomRows) {
    std::mt19937 random(12);
    for (int round = 0; round < 400; ++round) {
        const int count = randomIn(random, 0, 97);
        std::vector<Pixel565> dst = randomRow(random, count), src = randomRow(random, count);
        std::vector<uint8_t> mask(count);
        // Mostly the two special values, which take their own path.
        for (auto& m : mask)
            m = random() % 3 == 0 ? 0 : random() % 2 ? 255 : random() & 0xFF;
        std::vector<Pixel565> expected(count);
        for (int i = 0; i < count; ++i)
            expected[i] = mask[i] == 0     ? dst[i]
                          : mask[i] == 255 ? src[i]
                                           : referenceBlend(dst[i], src[i], mask[i]);
        kernels::maskBlendRow(dst.data(), src.data(), mask.data(), count);
        ASSERT_EQ(dst, expected) << "round " << round;
    }
}

TEST(PixelKernels, MixMatchesReferenceAlsoInPlace) {
    std::mt19937 random(13);
    for (int round = 0; round < 400; ++round) {
        const int count = randomIn(random, 0, 97);
        const int alpha = randomIn(random, 0, 256);
        std::vector<Pixel565> from = randomRow(random, count), to = randomRow(random, count);
        std::vector<Pixel565> expected(count), out(count);
        for (int i = 0; i < count; ++i)
            expected[i] = referenceBlend(from[i], to[i], alpha);
        kernels::mixRow(out.data(), from.data(), to.data(), count, alpha);
        ASSERT_EQ(out, expected) << "round " << round << " alpha " << alpha;
        kernels::mixRow(from.data(), from.data(), to.data(), count, alpha);
        ASSERT_EQ(from, expected) << "in place, round " << round;
    }
}

TEST(PixelKernels, MixEndsAreTheTwoFrames) {
    std::mt19937 random(14);
    std::vector<Pixel565> from = randomRow(random, 50), to = randomRow(random, 50), out(50);
    kernels::mixRow(out.data(), from.data(), to.data(), 50, 0);
    EXPECT_EQ(out, from);
    kernels::mixRow(out.data(), from.data(), to.data(), 50, 256);
    EXPECT_EQ(out, to);
}

TEST(PixelKernels, InvertedCopyInvertsEveryBit) {
    std::mt19937 random(15);
    std::vector<Pixel565> src = randomRow(random, 33), dst(33);
    kernels::invertCopyRow(dst.data(), src.data(), 33);
    for (int i = 0; i < 33; ++i)
        EXPECT_EQ(dst[i], static_cast<Pixel565>(~src[i]));
}

} // namespace
