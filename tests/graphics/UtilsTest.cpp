#include "graphics/utils.h"

#include "tests/gfx/GfxReference.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

using namespace platform;

TEST(FitSize, KeepsTheAspectRatioWithOneSideAtItsMaximum) {
    EXPECT_EQ(fitSize(100, 100, 200, 100), (Size{100, 50}));
    EXPECT_EQ(fitSize(100, 100, 100, 200), (Size{50, 100}));
    EXPECT_EQ(fitSize(50, 80, 30, 30), (Size{50, 50}));
    EXPECT_EQ(fitSize(64, 64, 20, 20), (Size{64, 64}));
    // Sizes near the 32-bit limit must not overflow the intermediate.
    EXPECT_EQ(fitSize(100000, 100000, 2000000000, 1000000000), (Size{100000, 50000}));
    EXPECT_EQ(fitSize(0, 100, 10, 10), (Size{}));
    EXPECT_EQ(fitSize(100, 100, 0, 10), (Size{}));
}

TEST(FitSize, KeepsANeedleThinPictureOnePixelWideInsideTheBox) {
    EXPECT_EQ(fitSize(120, 120, 2, 250), (Size{1, 120}));
    EXPECT_EQ(fitSize(120, 120, 250, 2), (Size{120, 1}));
    EXPECT_EQ(fitSize(100, 100, 1, 2000000000), (Size{1, 100}));
    EXPECT_EQ(fitSize(100, 100, 2000000000, 1), (Size{100, 1}));
}

TEST(Fills, AlphaFillUsesTheShiftRuleAndBothFillsStayInsideTheClip) {
    Surface surface(10, 10);
    for (int y = 0; y < 10; ++y)
        std::fill_n(surface.row(y), 10, 0xFFFF);
    fillAlpha(surface, Rect{0, 0, 10, 10}, Rect{2, 2, 5, 5}, rgb(0, 0, 0), 128);
    EXPECT_EQ(surface.at(2, 2), (15 << 11) | (31 << 5) | 15);
    EXPECT_EQ(surface.at(4, 4), (15 << 11) | (31 << 5) | 15);
    EXPECT_EQ(surface.at(5, 5), 0xFFFF);
    EXPECT_EQ(surface.at(1, 2), 0xFFFF);

    fillSolid(surface, Rect{4, 4, 20, 20}, Rect{0, 0, 6, 6}, rgb(255, 0, 0));
    EXPECT_EQ(surface.at(5, 5), 0xF800);
    EXPECT_EQ(surface.at(6, 5), 0xFFFF);
    EXPECT_EQ(surface.at(3, 3), (15 << 11) | (31 << 5) | 15);
}

TEST(RasterCodes, OnlyTheInvertedCopyCodeInverts) {
    EXPECT_EQ(rasterOpFor(invertedCopyRasterCode), RasterOp::InvertedCopy);
    EXPECT_EQ(rasterOpFor(copyRasterCode), RasterOp::Copy);
    EXPECT_EQ(rasterOpFor(0x12345678), RasterOp::Copy);
}

} // namespace
} // namespace vantrel
