#include "platform/gfx/ArgbImage.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace vantrel::platform;

namespace {

TEST(ArgbImage, OpaqueImagesHaveNoMaskAndTranslucentOnesDo) {
    ArgbImage image(3, 2, argb(255, 255, 0, 0));
    Rgb565Image opaque = toRgb565(image);
    EXPECT_FALSE(opaque.hasAlpha());
    EXPECT_EQ(opaque.pixels.at(2, 1), toPixel565(rgb(255, 0, 0)));

    image.set(1, 1, argb(128, 0, 0, 255));
    image.set(0, 0, argb(0, 0, 255, 0));
    Rgb565Image translucent = toRgb565(image);
    ASSERT_TRUE(translucent.hasAlpha());
    EXPECT_EQ(translucent.alphaMask, (std::vector<uint8_t>{0, 255, 255, 255, 128, 255}));
    EXPECT_EQ(translucent.pixels.at(1, 1), toPixel565(rgb(0, 0, 255)));
}

TEST(ArgbImage, Rgb565RoundTripKeepsTheHighBits) {
    Surface s(2, 1);
    s.set(0, 0, 0xF800);
    s.set(1, 0, 0x07E0);
    ArgbImage image = fromRgb565(s);
    EXPECT_EQ(image.at(0, 0), argb(255, 255, 0, 0));
    EXPECT_EQ(image.at(1, 0), argb(255, 0, 255, 0));
    EXPECT_EQ(toRgb565(image).pixels.at(1, 0), 0x07E0);
}

TEST(ArgbImage, ShrinkingAveragesAreas) {
    // A 1-pixel checkerboard shrunk by 2 is even grey everywhere; nearest neighbour would
    // give black or white.
    ArgbImage board(8, 6);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x)
            board.set(x, y, (x + y) % 2 ? argb(255, 255, 255, 255) : argb(255, 0, 0, 0));
    ArgbImage half = scaleArgb(board, 4, 3);
    ASSERT_EQ(half.width, 4);
    ASSERT_EQ(half.height, 3);
    for (uint32_t p : half.pixels) {
        EXPECT_EQ(alphaOf(p), 255);
        EXPECT_NEAR(static_cast<int>(p & 0xFF), 128, 1);
    }
    // A shrink by a factor that is not whole still sums to the same brightness.
    ArgbImage third = scaleArgb(board, 3, 2);
    for (uint32_t p : third.pixels)
        EXPECT_NEAR(static_cast<int>((p >> 8) & 0xFF), 128, 30);
}

TEST(ArgbImage, TransparentPixelsDoNotBleedTheirColour) {
    ArgbImage image(2, 1);
    image.set(0, 0, argb(0, 255, 0, 0)); // invisible red
    image.set(1, 0, argb(255, 0, 0, 255));
    uint32_t p = scaleArgb(image, 1, 1).at(0, 0);
    EXPECT_NEAR(alphaOf(p), 128, 1);
    EXPECT_EQ((p >> 16) & 0xFF, 0u);
    EXPECT_EQ(p & 0xFF, 255u);
}

TEST(ArgbImage, GrowingInterpolatesAndKeepsEnds) {
    ArgbImage image(2, 1);
    image.set(0, 0, argb(255, 0, 0, 0));
    image.set(1, 0, argb(255, 200, 200, 200));
    ArgbImage wide = scaleArgb(image, 8, 3);
    for (int y = 0; y < 3; ++y) {
        EXPECT_EQ(wide.at(0, y), argb(255, 0, 0, 0));
        EXPECT_EQ(wide.at(7, y), argb(255, 200, 200, 200));
        for (int x = 1; x < 8; ++x)
            EXPECT_GE(wide.at(x, y) & 0xFF, wide.at(x - 1, y) & 0xFF);
    }
    EXPECT_GT(wide.at(3, 0) & 0xFF, 0u);
    EXPECT_LT(wide.at(3, 0) & 0xFF, 200u);
}

TEST(ArgbImage, SameSizeIsUnchangedAndEmptySizesGiveNothing) {
    ArgbImage image(3, 3);
    for (int i = 0; i < 9; ++i)
        image.pixels[i] = argb(255, i * 20, 255 - i * 20, i);
    EXPECT_EQ(scaleArgb(image, 3, 3).pixels, image.pixels);
    EXPECT_TRUE(scaleArgb(image, 0, 5).isEmpty());
    EXPECT_TRUE(scaleArgb(ArgbImage{}, 5, 5).isEmpty());
}

} // namespace
