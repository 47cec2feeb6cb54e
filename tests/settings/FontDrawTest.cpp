#include "settings/Font.h"

#include "platform/text/TextDrawing.h"

#include <gtest/gtest.h>

#include <climits>

namespace vantrel {
namespace {

using namespace platform;
namespace Format = platform::TextFormat;

constexpr Pixel565 white = 0xFFFF;

Surface blank(int width = 200, int height = 100) {
    Surface s(width, height);
    for (int y = 0; y < height; ++y)
        std::fill_n(s.row(y), width, white);
    return s;
}

// The smallest rectangle holding every pixel that is no longer white.
Rect inkBounds(const Surface& s) {
    Rect ink;
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x)
            if (s.at(x, y) != white)
                ink = ink.united(Rect::fromSize(x, y, 1, 1));
    return ink;
}

Rect inkOf(std::u16string_view font, std::u16string_view text, const Rect& rect,
           unsigned flags = 0) {
    Surface surface = blank();
    Font(font).drawText(surface, text, rect, flags);
    return inkBounds(surface);
}

TEST(FontDraw, NoneFontDrawsNothingAndMeasuresTheRectangleUnchanged) {
    Font none(u"none");
    Surface surface = blank();
    EXPECT_TRUE(none.drawText(surface, u"Hello", {0, 0, 200, 100}, Format::WordBreak).isEmpty());
    EXPECT_TRUE(inkBounds(surface).isEmpty());
    Rect rect{3, 4, 50, 60};
    EXPECT_EQ(none.measureText(u"Hello there, a long line", rect), rect);
}

TEST(FontDraw, IndentMovesTheLeftEdgeOrTheRightEdgeForRightAlignedText) {
    const Rect rect{10, 10, 190, 60};
    Rect plain = inkOf(u"16,regular,DejaVu Sans,#000000,left", u"Indent", rect);
    Rect indented = inkOf(u"16,regular,DejaVu Sans,#000000,left,12", u"Indent", rect);
    ASSERT_FALSE(plain.isEmpty());
    EXPECT_EQ(indented, plain.offsetBy(12, 0));

    Rect right = inkOf(u"16,regular,DejaVu Sans,#000000,right", u"Indent", rect);
    Rect rightIndented = inkOf(u"16,regular,DejaVu Sans,#000000,right,12", u"Indent", rect);
    EXPECT_GT(right.right, 180);
    EXPECT_LE(right.right, 190);
    EXPECT_EQ(rightIndented, right.offsetBy(-12, 0));
}

TEST(FontDraw, FontAlignmentCombinesWithTheCallersFlags) {
    const Rect rect{0, 0, 200, 100};
    // Centred by the font, centred vertically by the caller.
    Rect both = inkOf(u"16,regular,DejaVu Sans,#000000,center", u"Mid", rect,
                      Format::VerticalCentre | Format::SingleLine);
    ASSERT_FALSE(both.isEmpty());
    EXPECT_NEAR((both.left + both.right) / 2, 100, 3);
    EXPECT_NEAR((both.top + both.bottom) / 2, 50, 6);
    // A left font asked by the caller to align right.
    Rect right = inkOf(u"16,regular,DejaVu Sans,#000000", u"Mid", rect, Format::Right);
    EXPECT_GT(right.left, 150);
    EXPECT_LE(right.right, 200);
    // No alignment or wrapping flag: one run at the top-left corner.
    Rect run = inkOf(u"16,regular,DejaVu Sans,#000000", u"Mid", {30, 20, 200, 100});
    EXPECT_GE(run.left, 30);
    EXPECT_LT(run.left, 34);
    EXPECT_GE(run.top, 20);
    EXPECT_LT(run.top, 30);
}

TEST(FontDraw, ColourAndClipAreHonoured) {
    Surface surface = blank();
    Font(u"20,bold,DejaVu Sans,#FF0000")
        .drawText(surface, u"WWWW", {0, 0, 200, 100}, 0, Rect{0, 0, 25, 100});
    Rect ink = inkBounds(surface);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_LE(ink.right, 25);
    bool sawRed = false;
    for (int y = ink.top; y < ink.bottom; ++y)
        for (int x = ink.left; x < ink.right; ++x) {
            Colour c = fromPixel565(surface.at(x, y));
            // Red over white: the red channel stays full, the others fall.
            EXPECT_EQ(redOf(c), 255);
            sawRed = sawRed || (greenOf(c) < 40 && blueOf(c) < 40);
        }
    EXPECT_TRUE(sawRed);

    // A font without a colour of its own draws in the device's black.
    surface = blank();
    Font(u"20,regular,DejaVu Sans,nocolour").drawText(surface, u"I", {0, 0, 200, 100});
    bool sawBlack = false;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x)
            sawBlack = sawBlack || surface.at(x, y) == 0;
    EXPECT_TRUE(sawBlack);
}

TEST(FontDraw, MeasuringWrapsWithinTheRectangleNarrowedByTheIndent) {
    Font font(u"14,regular,DejaVu Sans,#000000,left,20");
    const std::u16string text = u"one two three four five six seven eight nine ten";
    Rect oneLine = font.measureText(u"one", {0, 0, 1000, 1000});
    Rect wrapped = font.measureText(text, {5, 7, 125, 1000});
    EXPECT_EQ(wrapped.left, 5);
    EXPECT_EQ(wrapped.top, 7);
    EXPECT_LE(wrapped.right, 105);
    EXPECT_GE(wrapped.height(), 3 * oneLine.height());
    // Drawing the same text wraps the same way.
    Surface surface = blank(200, 300);
    Rect drawn = font.drawText(surface, text, {5, 7, 125, 300}, Format::WordBreak);
    EXPECT_EQ(drawn.height(), wrapped.height());
    EXPECT_LE(inkBounds(surface).bottom, 7 + wrapped.height());
}

} // namespace
} // namespace vantrel

namespace vantrel {
namespace {

TEST(FontDraw, ExtremeIndentsAndRectanglesDrawWithinTheClip) {
    for (std::u16string_view font : {u"12,regular,Arial,#000000,right,2147483647",
                                     u"12,regular,Arial,#000000,center,-2147483648",
                                     u"12,regular,Arial,#000000,left,-2147483648",
                                     u"2147483647,bold,Arial,#000000,left,2147483647"}) {
        for (const Rect& rect : {Rect{INT_MIN, INT_MIN, INT_MAX, INT_MAX},
                                 Rect{INT_MAX - 1, 0, INT_MIN, 100}, Rect{0, 0, 200, 100}}) {
            for (unsigned flags : {0u, Format::VerticalCentre | Format::Centre,
                                   Format::Bottom | Format::Right, Format::WordBreak}) {
                Surface surface = blank();
                Font(font).drawText(surface, u"Wide text", rect, flags, {50, 20, 150, 80});
                Font(font).measureText(u"Wide text", rect, flags);
                Rect ink = inkBounds(surface);
                EXPECT_TRUE(ink.isEmpty() || ink.intersected({50, 20, 150, 80}) == ink);
            }
        }
    }
}

} // namespace
} // namespace vantrel
