#include "platform/text/CoverageBlend.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace vantrel::platform;

namespace {

// The plain per-pixel version the fast loop must match bit for bit.
void referenceBlend(Surface& surface, const Rect& clip, Point at, const CoverageMask& mask,
                    Colour colour) {
    const Pixel565 c = toPixel565(colour);
    for (int y = 0; y < mask.height; ++y) {
        for (int x = 0; x < mask.width; ++x) {
            const Point p{at.x + x, at.y + y};
            if (!clip.contains(p) || !surface.bounds().contains(p))
                continue;
            const int w = coverageWeight(mask.coverage[y * mask.pitch + x]);
            const Pixel565 d = surface.at(p.x, p.y);
            auto channel = [&](int shift, int bits) {
                const int dc = (d >> shift) & ((1 << bits) - 1);
                const int cc = (c >> shift) & ((1 << bits) - 1);
                return (dc + (((cc - dc) * w) >> 8)) << shift;
            };
            surface.set(p.x, p.y,
                        static_cast<Pixel565>(channel(11, 5) | channel(5, 6) | channel(0, 5)));
        }
    }
}

Surface randomSurface(std::mt19937& random, int width, int height) {
    Surface surface(width, height);
    std::uniform_int_distribution<int> pixel(0, 0xFFFF);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            surface.set(x, y, static_cast<Pixel565>(pixel(random)));
    return surface;
}

} // namespace

TEST(CoverageBlend, MatchesReferenceOnSeededRandomInput) {
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> any(0, 255);
    std::uniform_int_distribution<int> size(1, 24);
    std::uniform_int_distribution<int> place(-12, 40);
    for (int round = 0; round < 500; ++round) {
        const int width = size(random), height = size(random), pitch = width + any(random) % 5;
        std::vector<uint8_t> coverage(static_cast<size_t>(pitch) * height);
        for (uint8_t& value : coverage) {
            // Glyphs are mostly empty or solid; keep those values frequent.
            const int pick = any(random);
            value = static_cast<uint8_t>(pick < 80 ? 0 : pick < 160 ? 255 : any(random));
        }
        const CoverageMask mask{coverage.data(), width, height, pitch};
        const Colour colour = rgb(any(random), any(random), any(random));
        const Point at{place(random), place(random)};
        const Rect clip{place(random), place(random), place(random) + 20, place(random) + 20};

        Surface fast = randomSurface(random, 32, 28);
        Surface reference = fast;
        blendCoverage(fast, clip, at, mask, colour);
        referenceBlend(reference, clip, at, mask, colour);
        for (int y = 0; y < fast.height(); ++y)
            for (int x = 0; x < fast.width(); ++x)
                ASSERT_EQ(fast.at(x, y), reference.at(x, y))
                    << "round " << round << " pixel " << x << "," << y << " mask " << width << "x"
                    << height << " at " << at.x << "," << at.y << " clip " << clip.left << ","
                    << clip.top << "-" << clip.right << "," << clip.bottom;
    }
}

TEST(CoverageBlend, EdgeCoveragesGiveExactResults) {
    Surface surface(3, 1);
    for (int x = 0; x < 3; ++x)
        surface.set(x, 0, 0xFFFF);
    const uint8_t coverage[] = {0, 128, 255};
    blendCoverage(surface, surface.bounds(), {0, 0}, {coverage, 3, 1, 3}, rgb(0, 0, 0));
    EXPECT_EQ(surface.at(0, 0), 0xFFFF); // no coverage leaves the pixel
    // Half coverage of black over white: red 15 of 31, green 31 of 63, blue 15 of 31.
    EXPECT_EQ(surface.at(1, 0), (15 << 11) | (31 << 5) | 15);
    EXPECT_EQ(surface.at(2, 0), 0x0000); // full coverage reaches the colour exactly
}

TEST(CoverageBlend, ZeroPitchRepeatsTheFirstRow) {
    Surface surface(4, 3);
    const uint8_t row[] = {255, 255, 255, 255};
    blendCoverage(surface, surface.bounds(), {0, 0}, {row, 4, 3, 0}, rgb(255, 255, 255));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(surface.at(x, y), 0xFFFF);
}
