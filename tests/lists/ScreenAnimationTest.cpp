// The frames of the screen transitions, drawn directly: positions, end states, the area,
// the reverse, and the card warp checked against the exact perspective mapping.

#include "lists/ScreenAnimation.h"
#include "lists/Easing.h"
#include "settings/Background.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <random>

namespace vantrel {
namespace {

using platform::Pixel565;
using platform::Rect;
using platform::Surface;

constexpr int W = 240;
constexpr int H = 320;
constexpr Pixel565 untouched = 0xFFFF;

// A picture whose pixels name their own column (or row) and which picture they are from,
// so a frame tells where each of its pixels came from.
Surface coordinates(bool rows, Pixel565 tag) {
    Surface s(W, H);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            s.set(x, y, static_cast<Pixel565>((rows ? y : x) | tag));
    return s;
}

Surface filled(Pixel565 p) {
    Surface s(W, H);
    for (int y = 0; y < H; ++y)
        std::fill_n(s.row(y), W, p);
    return s;
}

Surface noise(uint32_t seed) {
    Surface s(W, H);
    std::mt19937 random(seed);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            s.set(x, y, static_cast<Pixel565>(random() % untouched));
    return s;
}

bool sameInside(const Surface& a, const Surface& b, const Rect& area) {
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (a.at(x, y) != b.at(x, y))
                return false;
    return true;
}

const Background& redBackdrop() {
    static Background background(u"fill(#FF0000)");
    return background;
}

// Every kind of transition, made fresh for a duration and an area.
using Maker = std::function<std::unique_ptr<ScreenAnimation>(int duration, const Rect& area)>;
const std::vector<std::pair<const char*, Maker>>& allKinds() {
    static const std::vector<std::pair<const char*, Maker>> kinds = {
        {"slide 0",
         [](int d, const Rect& a) {
             return std::make_unique<SlideScreenAnimation>(d, 0, a.width());
         }},
        {"slide 1",
         [](int d, const Rect& a) {
             return std::make_unique<SlideScreenAnimation>(d, 1, a.width());
         }},
        {"slide-fade",
         [](int d, const Rect& a) {
             return std::make_unique<SlideFadeInOutAnimation>(d, a.height());
         }},
        {"fade",
         [](int d, const Rect& a) { return std::make_unique<FadeInOutAnimation>(d, a.height()); }},
        {"switch 0",
         [](int d, const Rect& a) {
             return std::make_unique<SwitchScreenAnimation>(d, 0, a.width(), redBackdrop());
         }},
        {"switch 1",
         [](int d, const Rect& a) {
             return std::make_unique<SwitchScreenAnimation>(d, 1, a.width(), redBackdrop());
         }},
        {"flip 0",
         [](int d, const Rect&) {
             return std::make_unique<FlipScreenAnimation>(d, 0, redBackdrop());
         }},
        {"flip 1",
         [](int d, const Rect&) {
             return std::make_unique<FlipScreenAnimation>(d, 1, redBackdrop());
         }},
        {"genie",
         [](int d, const Rect& a) {
             return std::make_unique<GenieAnimation>(
                 d, Rect{a.left + 10, a.bottom - 40, a.left + 60, a.bottom - 10});
         }},
    };
    return kinds;
}

TEST(ScreenAnimation, SlidePositionsFollowTheEasingCurveInBothDirections) {
    const Surface before = coordinates(false, 0), after = coordinates(false, 0x4000);
    const Rect area{0, 0, W, H};
    // 250 ms: two thirds of the table (entry 34 of 51) is 80 % of the way.
    const int x = easeTable(0, W, easeEntries(250))[34];
    ASSERT_EQ(x, W * 80 / 100);

    for (int direction : {0, 1}) {
        SlideScreenAnimation slide(250, direction, W);
        Surface frame = filled(untouched);
        bool done = true;
        slide.drawFrame(done, 170, before, after, frame, area);
        EXPECT_FALSE(done);
        for (int c = 0; c < W; ++c) {
            // Direction 0: the old screen shifted left by x, the new one following it.
            Pixel565 expected = direction == 0
                                    ? (c < W - x ? before.at(c + x, 5) : after.at(c - (W - x), 5))
                                    : (c < x ? after.at(c + W - x, 5) : before.at(c - x, 5));
            ASSERT_EQ(frame.at(c, 5), expected) << "direction " << direction << " column " << c;
        }
    }
}

TEST(ScreenAnimation, EveryKindStartsFromTheOldPictureEndsOnTheNewAndStaysInItsArea) {
    const Surface before = noise(1), after = noise(2);
    const Rect area{17, 23, 17 + 180, 23 + 250};
    for (const auto& [name, make] : allKinds()) {
        SCOPED_TRACE(name);
        auto animation = make(200, area);
        Surface frame = filled(untouched);
        for (int elapsed = 0;; elapsed += 16) {
            bool done = false;
            animation->drawFrame(done, elapsed, before, after, frame, area);
            // Nothing outside the area, and every pixel of the area drawn.
            for (int y = 0; y < H; ++y)
                for (int x = 0; x < W; ++x)
                    ASSERT_EQ(frame.at(x, y) == untouched, !area.contains({x, y}))
                        << x << "," << y << " at " << elapsed << " ms";
            if (elapsed == 0 && std::string(name) != "genie") {
                EXPECT_TRUE(sameInside(frame, before, area)) << "first frame";
            }
            if (done) {
                EXPECT_GE(elapsed, 200);
                EXPECT_TRUE(sameInside(frame, after, area)) << "last frame";
                break;
            }
            ASSERT_LT(elapsed, 200);
            frame = filled(untouched);
        }
    }
}

TEST(ScreenAnimation, AZeroDurationDrawsTheEndStateOnTheFirstFrame) {
    const Surface before = noise(3), after = noise(4);
    const Rect area{0, 0, W, H};
    for (const auto& [name, make] : allKinds()) {
        SCOPED_TRACE(name);
        auto animation = make(0, area);
        Surface frame(W, H);
        bool done = false;
        animation->drawFrame(done, 0, before, after, frame, area);
        EXPECT_TRUE(done);
        EXPECT_TRUE(sameInside(frame, after, area));
    }
}

TEST(ScreenAnimation, TheReverseDrawsTheForwardFramesBackwardsWithThePicturesExchanged) {
    const Surface a = noise(5), b = noise(6);
    const Rect area{8, 8, W - 8, H - 8};
    const int duration = 240;
    for (const auto& [name, make] : allKinds()) {
        SCOPED_TRACE(name);
        auto forward = make(duration, area);
        ReverseAnimation reverse(make(duration, area));
        EXPECT_EQ(reverse.duration(), duration);
        for (int elapsed = 0; elapsed <= duration + 20; elapsed += 20) {
            Surface ahead(W, H), back(W, H);
            bool forwardDone = false, reverseDone = false;
            forward->drawFrame(forwardDone, std::max(0, duration - elapsed), a, b, ahead, area);
            reverse.drawFrame(reverseDone, elapsed, b, a, back, area);
            ASSERT_TRUE(sameInside(ahead, back, area)) << elapsed << " ms";
            EXPECT_EQ(reverseDone, elapsed >= duration);
        }
    }
}

// The plain rule of every fade: per 5-, 6- and 5-bit channel old + ((new - old) * a) >> 8.
Pixel565 mixReference(Pixel565 from, Pixel565 to, int alpha) {
    auto channel = [&](int shift, int mask) {
        int f = (from >> shift) & mask, t = (to >> shift) & mask;
        return ((f + (((t - f) * alpha) >> 8)) & mask) << shift;
    };
    return static_cast<Pixel565>(channel(11, 0x1F) | channel(5, 0x3F) | channel(0, 0x1F));
}

TEST(ScreenAnimation, SlideFadeBlendsTheRisingTopRowsOfTheNewPictureOverTheOldOnes) {
    const Surface before = noise(7), after = noise(8);
    const Rect area{0, 0, W, H};
    SlideFadeInOutAnimation rise(300, H);
    const int elapsed = 100;
    const int risen = easeTable(0, H, easeEntries(300))[elapsed / 5];
    const int alpha = elapsed * 256 / 300;
    Surface frame(W, H);
    bool done = false;
    rise.drawFrame(done, elapsed, before, after, frame, area);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            Pixel565 expected =
                y < H - risen ? before.at(x, y)
                              : mixReference(before.at(x, y), after.at(x, y - (H - risen)), alpha);
            ASSERT_EQ(frame.at(x, y), expected) << x << "," << y;
        }

    // The fade keeps the whole height from the start: every row blends in place.
    FadeInOutAnimation fade(300, H);
    fade.drawFrame(done, elapsed, before, after, frame, area);
    for (int y = 0; y < H; y += 7)
        for (int x = 0; x < W; x += 3)
            ASSERT_EQ(frame.at(x, y), mixReference(before.at(x, y), after.at(x, y), alpha));
}

// Direction 1: the old card goes from 0 to two thirds of the width to the right, turning
// to a skew of -150, while the new one comes from -1.5 widths with a skew of 150 to 0.
// Direction 0 is its mirror image (old card to -2/3, new from +1.5 widths), not the
// table's direction 0, whose new card would start two thirds in and pop up on the first
// frame. A card's width is the area's less its skew, and the new card is in front.
TEST(ScreenAnimation, SwitchCardsMoveAndTurnAsFarAsTheirTablesSayInBothDirections) {
    const Pixel565 oldColour = 0x0841, newColour = 0x1082;
    const Pixel565 red = platform::toPixel565(platform::rgb(255, 0, 0));
    const Surface before = filled(oldColour), after = filled(newColour);
    const Rect area{0, 0, W, H};
    const int duration = 350, entries = easeEntries(duration);
    for (int direction : {0, 1}) {
        const int side = direction == 1 ? 1 : -1;
        const auto oldAt = easeTable(0, side * W * 2 / 3, entries);
        const auto oldSkew = easeTable(0, -side * 150, entries);
        const auto newAt = easeTable(-side * W * 3 / 2, 0, entries);
        const auto newSkew = easeTable(side * 150, 0, entries);
        SwitchScreenAnimation animation(duration, direction, W, redBackdrop());
        for (int elapsed : {0, 60, 150, 240, 320}) {
            SCOPED_TRACE(::testing::Message() << "direction " << direction << " at " << elapsed);
            Surface frame = filled(untouched);
            bool done = false;
            animation.drawFrame(done, elapsed, before, after, frame, area);
            const int i = elapsed / 5;
            auto covers = [](int left, int skew, int x) {
                return x >= left && x < left + W - std::min(std::abs(skew), W / 2);
            };
            // The middle row: the far edges are shortened at the top and bottom only.
            int wrong = 0;
            for (int x = 0; x < W; ++x) {
                const Pixel565 expected = covers(newAt[i], newSkew[i], x)   ? newColour
                                          : covers(oldAt[i], oldSkew[i], x) ? oldColour
                                                                            : red;
                // A card's edge column may round either way.
                const bool edge =
                    x > 0 && x + 1 < W && frame.at(x - 1, H / 2) != frame.at(x + 1, H / 2);
                wrong += frame.at(x, H / 2) != expected && !edge;
            }
            EXPECT_EQ(wrong, 0);
        }
    }
}

TEST(ScreenAnimation, FlipShowsOnlyItsBackdropWhenTheCardIsEdgeOn) {
    const Surface before = noise(9), after = noise(10);
    const Rect area{0, 0, W, H};
    FlipScreenAnimation flip(400, 0, redBackdrop());
    EXPECT_EQ(flip.scaleAt(0), 4096);
    EXPECT_EQ(flip.scaleAt(200), 0);
    EXPECT_EQ(flip.scaleAt(400), 4096);
    Surface frame(W, H);
    bool done = false;
    flip.drawFrame(done, 200, before, after, frame, area);
    EXPECT_TRUE(sameInside(frame, filled(platform::toPixel565(platform::rgb(255, 0, 0))), area));
    // A quarter through, the old card is narrowed around the centre line.
    flip.drawFrame(done, 100, before, after, frame, area);
    const int half = W * flip.scaleAt(100) / 4096 / 2;
    EXPECT_EQ(frame.at(W / 2 - half - 2, H / 2), platform::toPixel565(platform::rgb(255, 0, 0)));
    EXPECT_NE(frame.at(W / 2, H / 2), platform::toPixel565(platform::rgb(255, 0, 0)));
}

TEST(ScreenAnimation, FlipRowsAreTheirPictureRowsSqueezedMostOnTheFarSide) {
    const Surface columns = coordinates(false, 0x4000), rows = coordinates(true, 0x4000);
    const Rect area{4, 6, W - 2, H - 8};
    const int width = area.width();
    const Pixel565 red = platform::toPixel565(platform::rgb(255, 0, 0));
    for (int direction : {0, 1}) {
        FlipScreenAnimation flip(400, direction, redBackdrop());
        for (int elapsed : {40, 120, 190, 230, 330}) {
            SCOPED_TRACE(::testing::Message() << "direction " << direction << " at " << elapsed);
            const auto span = flip.spanAt(elapsed, width);
            // The right half turns away first in direction 0; the new card comes back with
            // the other half still far.
            const bool rightFar = (direction == 0) == (elapsed < 200);
            const int near = rightFar ? span.middle - span.left : span.right - span.middle;
            const int far = rightFar ? span.right - span.middle : span.middle - span.left;
            EXPECT_LT(far, near);
            Surface byColumn(W, H), byRow(W, H);
            bool done = false;
            // Two animations: the columns and rows pictures are each an old picture of a run.
            FlipScreenAnimation second(400, direction, redBackdrop());
            flip.drawFrame(done, elapsed, columns, columns, byColumn, area);
            second.drawFrame(done, elapsed, rows, rows, byRow, area);
            for (int y = area.top; y < area.bottom; y += 5) {
                int previous = -1;
                for (int x = area.left; x < area.right; ++x) {
                    const int c = x - area.left;
                    if (c < span.left || c >= span.right) {
                        ASSERT_EQ(byColumn.at(x, y), red) << x << "," << y;
                        continue;
                    }
                    // No row moves, and the picture's columns follow each other in order,
                    // the left half of the picture left of the seam.
                    ASSERT_EQ(byRow.at(x, y), y | 0x4000) << x << "," << y;
                    const int column = byColumn.at(x, y) & 0x3FFF;
                    ASSERT_GT(column, previous) << x << "," << y;
                    ASSERT_EQ(column - area.left < width / 2, c < span.middle) << x << "," << y;
                    previous = column;
                }
            }
        }
    }
}

TEST(ScreenAnimation, GenieStartsAsTheSourceRectangleAndGrowsFromIt) {
    const Surface before = filled(1), after = coordinates(true, 0x4000);
    const Rect area{0, 0, W, H};
    const Rect source{30, 250, 90, 290};
    GenieAnimation genie(400, source);
    Surface frame(W, H);
    bool done = false;
    genie.drawFrame(done, 0, before, after, frame, area);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            ASSERT_EQ(frame.at(x, y) != 1, source.contains({x, y})) << x << "," << y;
    // The whole new picture is squeezed into the source: its first and last rows show.
    EXPECT_EQ(frame.at(40, source.top), 0x4000);
    EXPECT_EQ(frame.at(40, source.bottom - 1) & 0x3FFF,
              (source.height() - 1) * H / source.height());

    // At the end of the first phase the shape has the full height and about half the width.
    for (int y : {0, H / 2, H - 1}) {
        auto span = genie.rowSpan(240, area, y);
        EXPECT_EQ(span.left, source.left / 2) << y;
        EXPECT_EQ(span.right, (source.right + W + 1) / 2) << y;
    }
    // In the second phase rows level with the source are wider than the far ones.
    auto near = genie.rowSpan(320, area, 270), far = genie.rowSpan(320, area, 0);
    EXPECT_LT(near.left, far.left);
    EXPECT_GT(near.right, far.right);
}

TEST(ScreenAnimation, GenieFramesMatchThePlainStretchOfEveryRow) {
    // The plain rule: a row of the shape shows its picture row stretched over its span in
    // 16.16 steps, starting half a step in; the rest of the area shows the old picture.
    const Surface before = noise(7), after = noise(8);
    const Rect area{5, 9, W - 3, H - 11};
    for (const Rect& source : {Rect{20, 200, 70, 230}, Rect{area.left, area.top, area.right, 40},
                               Rect{W - 30, H - 20, W + 40, H + 10}}) {
        GenieAnimation genie(400, source);
        for (int elapsed = 0; elapsed <= 400; elapsed += 8) {
            Surface frame = filled(untouched);
            bool done = false;
            genie.drawFrame(done, elapsed, before, after, frame, area);
            for (int y = area.top; y < area.bottom; ++y) {
                const GenieAnimation::RowSpan span = genie.rowSpan(elapsed, area, y);
                const int count = span.right - span.left;
                const int step = count > 0 ? (area.width() << 16) / count : 0;
                for (int x = area.left; x < area.right; ++x) {
                    const bool stretched = x >= span.left && x < span.right;
                    const Pixel565 expected =
                        stretched
                            ? after.at(area.left + ((step / 2 + (x - span.left) * step) >> 16),
                                       span.sourceRow)
                            : before.at(x, y);
                    ASSERT_EQ(frame.at(x, y), expected)
                        << x << "," << y << " at " << elapsed << " ms, step " << step;
                }
            }
        }
    }
}

// The exact mapping of a card: which picture column and row should show at frame pixel
// (c, y) of the area, or nothing when the pixel is outside the card.
struct Expected {
    bool inside = false;
    double column = 0, row = 0;
};
Expected cardReference(int c, int y, int left, int width, int leftInset, int rightInset) {
    const double x = (c - left + 0.5) / width;
    if (x < 0 || x > 1)
        return {};
    const double h0 = H - 2.0 * leftInset, h1 = H - 2.0 * rightInset;
    const double height = h0 + (h1 - h0) * x;
    const double top = (H - height) / 2;
    if (y + 0.5 < top || y + 0.5 > top + height)
        return {};
    const double t = x * h1 / ((1 - x) * h0 + x * h1);
    return {true, t * W, (y + 0.5 - top) * H / height};
}

const Pixel565 red = platform::toPixel565(platform::rgb(255, 0, 0));

// Noise that never hits the backdrop's red, so a frame tells card pixels from backdrop.
Surface noiseWithoutRed(uint32_t seed) {
    Surface s = noise(seed);
    for (int y = 0; y < H; ++y)
        std::replace(s.row(y), s.row(y) + W, red, Pixel565(0));
    return s;
}

TEST(CardFrame, MatchesThePerspectiveReferenceOnRandomCards) {
    const Surface columns = coordinates(false, 0), rows = coordinates(true, 0);
    const Rect area{0, 0, W, H};
    std::mt19937 random(20);
    CardFrame byColumnFrame(redBackdrop()), byRowFrame(redBackdrop());
    for (int round = 0; round < 60; ++round) {
        const int width = 1 + static_cast<int>(random() % W);
        const int left = static_cast<int>(random() % (2 * W)) - W;
        const int insets[2] = {static_cast<int>(random() % (H / 4 + 1)),
                               static_cast<int>(random() % (H / 4 + 1))};
        const int leftInset = random() % 3 == 0 ? 0 : insets[0];
        const int rightInset = leftInset != 0 && random() % 2 ? 0 : insets[1];
        SCOPED_TRACE(::testing::Message() << "card left " << left << " width " << width
                                          << " insets " << leftInset << "/" << rightInset);
        Surface byColumn(W, H), byRow(W, H);
        byColumnFrame.draw(byColumn, area, {{&columns, left, width, leftInset, rightInset}});
        byRowFrame.draw(byRow, area, {{&rows, left, width, leftInset, rightInset}});
        for (int y = 0; y < H; ++y)
            for (int c = 0; c < W; ++c) {
                const Expected e = cardReference(c, y, left, width, leftInset, rightInset);
                const bool drawn = byColumn.at(c, y) != red;
                ASSERT_EQ(drawn, byRow.at(c, y) != red) << c << "," << y;
                if (!drawn) {
                    // Missing pixels are allowed only on the card's rounded outline.
                    if (e.inside) {
                        Expected above =
                            cardReference(c, y - 1, left, width, leftInset, rightInset);
                        Expected below =
                            cardReference(c, y + 1, left, width, leftInset, rightInset);
                        ASSERT_FALSE(above.inside && below.inside) << c << "," << y;
                    }
                    continue;
                }
                if (!e.inside) {
                    Expected above = cardReference(c, y - 1, left, width, leftInset, rightInset);
                    Expected below = cardReference(c, y + 1, left, width, leftInset, rightInset);
                    ASSERT_TRUE(above.inside || below.inside) << c << "," << y;
                    continue;
                }
                ASSERT_NEAR(byColumn.at(c, y), e.column, 1.0) << c << "," << y;
                ASSERT_NEAR(byRow.at(c, y), e.row, 2.0) << c << "," << y;
            }
    }
}

TEST(CardFrame, TwoCardsOverTheBackdropComposeLikePaintingInOrder) {
    // The front card hides the one behind it, which hides the backdrop; in an area that
    // starts off the frame's cache lines and makes no whole strip, under a plain and a
    // graded backdrop (drawn from its picture rather than filled).
    const Surface frontPicture = noiseWithoutRed(9), backPicture = noiseWithoutRed(10);
    const Rect area{3, 4, W - 5, H - 6};
    const int width = area.width(), height = area.height();
    const Background graded(u"vgradient(#FF0000,#0000FF)");
    std::mt19937 random(21);
    auto card = [&](const Surface& picture) {
        return Card{&picture, static_cast<int>(random() % (2 * width)) - width,
                    1 + static_cast<int>(random() % width),
                    static_cast<int>(random() % (height / 4 + 1)),
                    random() % 2 ? 0 : static_cast<int>(random() % (height / 4 + 1))};
    };
    for (const Background* backdrop : {&redBackdrop(), &graded}) {
        CardFrame both(*backdrop), frontOnly(redBackdrop()), backOnly(*backdrop);
        for (int round = 0; round < 40; ++round) {
            const Card f = card(frontPicture), b = card(backPicture);
            SCOPED_TRACE(::testing::Message() << "round " << round);
            Surface composed = filled(untouched), front = filled(untouched),
                    back = filled(untouched);
            both.draw(composed, area, {f, b});
            frontOnly.draw(front, area, {f});
            backOnly.draw(back, area, {b});
            for (int y = 0; y < H; ++y)
                for (int x = 0; x < W; ++x) {
                    const Pixel565 expected = !area.contains({x, y})  ? untouched
                                              : front.at(x, y) != red ? front.at(x, y)
                                                                      : back.at(x, y);
                    ASSERT_EQ(composed.at(x, y), expected) << x << "," << y;
                }
        }
    }
}

} // namespace
} // namespace vantrel
