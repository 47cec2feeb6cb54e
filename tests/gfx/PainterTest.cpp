#include "platform/gfx/Painter.h"

#include "tests/gfx/GfxReference.h"

#include <gtest/gtest.h>

using namespace vantrel::platform;
using namespace vantrel::test;

namespace {

constexpr Colour kWhite = rgb(255, 255, 255);
constexpr Colour kRed = rgb(255, 0, 0);

Rect randomRect(std::mt19937& random, int width, int height) {
    // Reaching past every edge, and sometimes empty.
    int left = randomIn(random, -10, width), top = randomIn(random, -10, height);
    return Rect::fromSize(left, top, randomIn(random, -2, width), randomIn(random, -2, height));
}

ClipRegion randomClip(std::mt19937& random, int width, int height) {
    ClipRegion clip;
    for (int i = randomIn(random, 1, 3); i > 0; --i)
        clip.unite(randomRect(random, width, height));
    return clip;
}

// Visits every pixel of `target` that a painter with `clip` may touch inside `rect`.
template <typename Fn>
void forVisible(const Surface& target, const ClipRegion& clip, Rect rect, Fn fn) {
    for (int y = 0; y < target.height(); ++y)
        for (int x = 0; x < target.width(); ++x)
            if (rect.contains({x, y}) && clip.contains({x, y}))
                fn(x, y);
}

int countColour(const Surface& s, Colour c) {
    int n = 0;
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x)
            n += s.at(x, y) == toPixel565(c);
    return n;
}

TEST(ClipRegion, UniteKeepsRectanglesDisjointAndIntersectTrims) {
    ClipRegion region({0, 0, 10, 10});
    region.unite({5, 5, 15, 15});
    region.unite({2, 2, 4, 4}); // already covered
    int area = 0;
    for (const Rect& r : region.rects())
        area += r.width() * r.height();
    EXPECT_EQ(area, 100 + 100 - 25);
    EXPECT_EQ(region.bounds(), (Rect{0, 0, 15, 15}));
    EXPECT_TRUE(region.contains({12, 12}));
    EXPECT_FALSE(region.contains({12, 2}));

    region.intersect({8, 0, 20, 9});
    EXPECT_TRUE(region.contains({8, 0}));
    EXPECT_FALSE(region.contains({12, 9}));
    region.intersect({100, 100, 110, 110});
    EXPECT_TRUE(region.isEmpty());
}

TEST(Painter, SolidFillStaysInsideClipAndSurface) {
    Surface s(20, 10);
    Painter painter(s);
    painter.setClip(Rect{2, 2, 30, 8});
    painter.fillSolid({-5, -5, 10, 100}, kWhite);
    EXPECT_EQ(countColour(s, kWhite), 8 * 6);
    EXPECT_EQ(s.at(2, 2), 0xFFFF);
    EXPECT_EQ(s.at(9, 7), 0xFFFF);
    EXPECT_EQ(s.at(10, 7), 0);
    EXPECT_EQ(s.at(2, 8), 0);
    EXPECT_EQ(s.at(1, 2), 0);
}

TEST(Painter, PainterOnAViewNeverTouchesTheRestOfTheBuffer) {
    Surface whole(16, 16);
    Surface view = Surface::view(whole.row(4) + 4, 8, 8, whole.stride());
    Painter painter(view);
    painter.fillSolid({-100, -100, 100, 100}, kWhite);
    painter.fillAlpha({-100, -100, 100, 100}, kRed, 100);
    EXPECT_EQ(countColour(whole, rgb(0, 0, 0)), 16 * 16 - 64);
    EXPECT_EQ(whole.at(3, 4), 0);
    EXPECT_NE(whole.at(4, 4), 0);
    EXPECT_NE(whole.at(11, 11), 0);
    EXPECT_EQ(whole.at(12, 11), 0);
}

TEST(Painter, AlphaFillMatchesReferenceOnRandomRectanglesAndClips) {
    std::mt19937 random(21);
    for (int round = 0; round < 200; ++round) {
        Surface s = randomSurface(random, 37, 23), expected = s;
        ClipRegion clip = randomClip(random, 37, 23);
        Rect rect = randomRect(random, 37, 23);
        Colour colour = random() & 0xFFFFFF;
        int alpha = randomIn(random, 0, 256);
        Painter painter(s);
        painter.setClip(clip);
        painter.fillAlpha(rect, colour, alpha);
        // Overlapping clip rectangles must not blend a pixel twice.
        forVisible(expected, clip, rect, [&](int x, int y) {
            expected.set(x, y, referenceBlend(expected.at(x, y), toPixel565(colour), alpha));
        });
        ASSERT_EQ(firstDifference(s, expected), "") << "round " << round;
    }
}

TEST(Painter, CopiesMatchReferenceOnRandomRectangles) {
    std::mt19937 random(22);
    for (int round = 0; round < 200; ++round) {
        Surface source = randomSurface(random, 19, 17);
        Surface s = randomSurface(random, 31, 29), expected = s;
        ClipRegion clip = randomClip(random, 31, 29);
        Rect from = randomRect(random, 19, 17);
        Point to{randomIn(random, -10, 31), randomIn(random, -10, 29)};
        RasterOp op = random() % 2 ? RasterOp::Copy : RasterOp::InvertedCopy;
        std::vector<uint8_t> mask(19 * 17);
        for (auto& m : mask)
            m = random() % 2 ? 255 : random() & 0xFF;
        Painter painter(s);
        painter.setClip(clip);
        const bool masked = round % 2 == 1;
        if (masked)
            painter.copyMasked(source, mask.data(), 19, from, to);
        else
            painter.copy(source, from, to, op);
        Rect target = Rect::fromSize(to.x, to.y, from.width(), from.height());
        forVisible(expected, clip, target, [&](int x, int y) {
            Point p{from.left + x - to.x, from.top + y - to.y};
            if (!source.bounds().contains(p))
                return;
            Pixel565 src = source.at(p.x, p.y);
            uint8_t a = mask[p.y * 19 + p.x];
            Pixel565 out = masked ? (a == 255 ? src : referenceBlend(expected.at(x, y), src, a))
                           : op == RasterOp::Copy ? src
                                                  : static_cast<Pixel565>(~src);
            expected.set(x, y, out);
        });
        ASSERT_EQ(firstDifference(s, expected), "") << "round " << round;
    }
}

TEST(Painter, CopyWithinOneSurfaceScrollsBothWays) {
    std::mt19937 random(23);
    for (int dy : {-3, 3}) {
        Surface s = randomSurface(random, 10, 12);
        const Surface before = s;
        Painter painter(s);
        painter.copy(s, {0, 4, 10, 8}, {0, 4 + dy});
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 10; ++x)
                ASSERT_EQ(s.at(x, 4 + dy + y), before.at(x, 4 + y)) << "dy " << dy;
    }
}

TEST(Painter, StretchPicksNearestPixelsAndEqualSizesCopy) {
    Surface source(2, 2);
    source.set(0, 0, 1);
    source.set(1, 0, 2);
    source.set(0, 1, 3);
    source.set(1, 1, 4);
    Surface s(6, 6);
    Painter painter(s);
    painter.stretch(source, source.bounds(), {1, 1, 5, 5});
    const Pixel565 grown[4][4] = {{1, 1, 2, 2}, {1, 1, 2, 2}, {3, 3, 4, 4}, {3, 3, 4, 4}};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(s.at(1 + x, 1 + y), grown[y][x]) << x << "," << y;
    EXPECT_EQ(s.at(0, 0), 0);
    EXPECT_EQ(s.at(5, 5), 0);

    painter.stretch(source, source.bounds(), {0, 0, 2, 2}, RasterOp::InvertedCopy);
    EXPECT_EQ(s.at(1, 1), static_cast<Pixel565>(~4));

    Surface big(8, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            big.set(x, y, static_cast<Pixel565>(y * 8 + x));
    painter.stretch(big, big.bounds(), {0, 0, 2, 2});
    EXPECT_EQ(s.at(0, 0), 2 * 8 + 2);
    EXPECT_EQ(s.at(1, 1), 6 * 8 + 6);
}

TEST(Painter, StretchIsClipped) {
    Surface source(1, 1);
    source.set(0, 0, 0xFFFF);
    Surface s(10, 10);
    Painter painter(s);
    painter.setClip(Rect{3, 3, 5, 5});
    painter.stretch(source, source.bounds(), {-50, -50, 50, 50});
    EXPECT_EQ(countColour(s, kWhite), 4);
    EXPECT_EQ(s.at(3, 3), 0xFFFF);
}

TEST(Painter, GradientsRunFromFirstToSecondColour) {
    Surface s(8, 16);
    Painter painter(s);
    painter.fillGradient(s.bounds(), rgb(0, 0, 0), rgb(255, 255, 255),
                         GradientDirection::TopToBottom);
    EXPECT_EQ(s.at(0, 0), 0);
    EXPECT_EQ(s.at(7, 15), 0xFFFF);
    for (int y = 1; y < 16; ++y) {
        EXPECT_GE(s.at(3, y) & 0x1F, s.at(3, y - 1) & 0x1F);
        EXPECT_EQ(s.at(0, y), s.at(7, y));
    }

    // A clipped horizontal gradient keeps the colours of the whole rectangle.
    Surface h(16, 4);
    Painter horizontal(h);
    horizontal.setClip(Rect{8, 0, 16, 2});
    horizontal.fillGradient({0, 0, 16, 4}, kRed, rgb(0, 0, 255), GradientDirection::LeftToRight);
    EXPECT_EQ(h.at(7, 0), 0);
    EXPECT_EQ(h.at(15, 1), toPixel565(rgb(0, 0, 255)));
    EXPECT_EQ(h.at(8, 0), toPixel565(rgb(255 - 255 * 8 / 15, 0, 255 * 8 / 15)));
    EXPECT_EQ(h.at(8, 2), 0);
}

TEST(Painter, OutlineLiesInsideTheRectangle) {
    Surface s(12, 12);
    Painter painter(s);
    painter.drawOutline({1, 1, 11, 9}, {kWhite, 2});
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x) {
            bool inRect = x >= 1 && x < 11 && y >= 1 && y < 9;
            bool inside = x >= 3 && x < 9 && y >= 3 && y < 7;
            EXPECT_EQ(s.at(x, y) == 0xFFFF, inRect && !inside) << x << "," << y;
        }
    // A pen as wide as half the rectangle fills it.
    Surface small(4, 4);
    Painter smallPainter(small);
    smallPainter.drawOutline(small.bounds(), {kWhite, 2});
    EXPECT_EQ(countColour(small, kWhite), 16);
}

TEST(Painter, LinesLeaveOutTheirEndPointAndCentreTheirWidth) {
    Surface s(10, 10);
    Painter painter(s);
    painter.drawLine({1, 5}, {6, 5}, {kWhite, 1});
    EXPECT_EQ(countColour(s, kWhite), 5);
    EXPECT_EQ(s.at(1, 5), 0xFFFF);
    EXPECT_EQ(s.at(6, 5), 0);

    Surface t(10, 10);
    Painter thick(t);
    thick.drawLine({8, 2}, {8, 7}, {kWhite, 3}); // upwards and downwards cover the same
    thick.drawLine({8, 7}, {8, 2}, {kRed, 3});
    EXPECT_EQ(countColour(t, kRed), 15);
    EXPECT_EQ(countColour(t, kWhite), 3); // only the first line's last stamp row at y 2
    EXPECT_EQ(t.at(7, 3), toPixel565(kRed));
    EXPECT_EQ(t.at(9, 7), toPixel565(kRed));
    EXPECT_EQ(t.at(7, 2), 0xFFFF);

    Surface d(10, 10);
    Painter diagonal(d);
    diagonal.drawLine({0, 0}, {4, 4}, {kWhite, 1});
    EXPECT_EQ(countColour(d, kWhite), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(d.at(i, i), 0xFFFF);

    // A shallow line steps along x; a line from far outside costs only what it shows.
    Surface shallow(10, 4);
    Painter shallowPainter(shallow);
    shallowPainter.drawLine({0, 0}, {8, 2}, {kWhite, 1});
    EXPECT_EQ(countColour(shallow, kWhite), 8);
    EXPECT_EQ(shallow.at(0, 0), 0xFFFF);
    EXPECT_EQ(shallow.at(4, 1), 0xFFFF);
    EXPECT_EQ(shallow.at(7, 2), 0xFFFF);
    Surface far(10, 10);
    Painter farPainter(far);
    farPainter.drawLine({-2000000000, -2000000000}, {2000000000, 2000000000}, {kWhite, 1});
    EXPECT_EQ(countColour(far, kWhite), 10);
    EXPECT_EQ(far.at(9, 9), 0xFFFF);
}

TEST(Painter, FrameBlendAndTintMatchReference) {
    std::mt19937 random(24);
    for (int round = 0; round < 20; ++round) {
        Surface from = randomSurface(random, 33, 9), to = randomSurface(random, 33, 9);
        Surface out(33, 9);
        int alpha = randomIn(random, 0, 256);
        blendFrames(out, from, to, alpha);
        Surface tinted = from;
        Colour colour = random() & 0xFFFFFF;
        tintSurface(tinted, colour, alpha);
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 33; ++x) {
                ASSERT_EQ(out.at(x, y), referenceBlend(from.at(x, y), to.at(x, y), alpha));
                ASSERT_EQ(tinted.at(x, y),
                          referenceBlend(from.at(x, y), toPixel565(colour), alpha));
            }
    }
}

TEST(Painter, FrameBlendCoversOnlyTheSharedArea) {
    Surface from(4, 4), to(6, 2), out(5, 5);
    Painter(to).fillSolid(to.bounds(), kWhite);
    blendFrames(out, from, to, 256);
    EXPECT_EQ(countColour(out, kWhite), 4 * 2);
}

} // namespace
