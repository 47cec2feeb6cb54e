#include "platform/text/TextDrawing.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

using namespace vantrel::platform;
namespace Format = vantrel::platform::TextFormat;

namespace {

constexpr Pixel565 kWhite = 0xFFFF;
constexpr Colour kRed = rgb(255, 0, 0);

FontHandle testFont(int height = 16) {
    return fontFor({height, 400, false, u"Tahoma"});
}

Surface whiteSurface(int width, int height) {
    Surface surface(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            surface.set(x, y, kWhite);
    return surface;
}

// The smallest rectangle holding every pixel of `area` that is no longer white.
Rect inkBounds(const Surface& surface, const Rect& area = {0, 0, 1 << 20, 1 << 20}) {
    Rect ink;
    const Rect scan = area.intersected(surface.bounds());
    for (int y = scan.top; y < scan.bottom; ++y)
        for (int x = scan.left; x < scan.right; ++x)
            if (surface.at(x, y) != kWhite)
                ink = ink.united(Rect::fromSize(x, y, 1, 1));
    return ink;
}

int countPixels(const Surface& surface, Pixel565 pixel) {
    int count = 0;
    for (int y = 0; y < surface.height(); ++y)
        for (int x = 0; x < surface.width(); ++x)
            count += surface.at(x, y) == pixel;
    return count;
}

Rect calculate(const FontFace& font, std::u16string_view text, int width, unsigned flags = 0) {
    return drawFormatted(nullptr, {10, 20, 10 + width, 20}, {}, font, text, kRed,
                         flags | Format::CalculateRect | Format::NoPrefix);
}

int lineCount(const FontFace& font, const Rect& block) {
    return block.height() / font.lineHeight();
}

} // namespace

// ---------------------------------------------------------------------------------------
// Runs

TEST(TextRun, DrawsInTheColourInsideItsLineOnly) {
    FontHandle font = testFont();
    Surface surface = whiteSurface(200, 60);
    drawRun(surface, surface.bounds(), {10, 20}, *font, u"Hello World", kRed);
    const Rect ink = inkBounds(surface);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GE(ink.left, 10);
    EXPECT_GE(ink.top, 20);
    EXPECT_LE(ink.bottom, 20 + font->lineHeight());
    EXPECT_LE(ink.right, 10 + measureRun(*font, u"Hello World").width + 1);
    // Stems are fully covered, so the exact colour shows; edges mix only red and white.
    EXPECT_GT(countPixels(surface, toPixel565(kRed)), 20);
    for (int y = 0; y < surface.height(); ++y)
        for (int x = 0; x < surface.width(); ++x)
            EXPECT_EQ(surface.at(x, y) >> 11, 0x1F) << "red lost at " << x << "," << y;
}

TEST(TextRun, NothingIsDrawnOutsideTheClip) {
    FontHandle font = testFont();
    Surface surface = whiteSurface(200, 60);
    const Rect clip{0, 0, 40, 60};
    drawRun(surface, clip, {10, 20}, *font, u"Hello World", kRed);
    const Rect ink = inkBounds(surface);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_LE(ink.right, 40);

    Surface untouched = whiteSurface(50, 50);
    drawRun(untouched, {0, 0, 50, 50}, {-500, 10}, *font, u"far left", kRed);
    drawRun(untouched, {0, 0, 50, 50}, {5, 300}, *font, u"far below", kRed);
    drawRun(untouched, {}, {5, 5}, *font, u"empty clip", kRed);
    EXPECT_TRUE(inkBounds(untouched).isEmpty());
}

TEST(TextRun, MeasureGrowsWithTheText) {
    FontHandle font = testFont();
    const Size empty = measureRun(*font, u"");
    EXPECT_EQ(empty.width, 0);
    EXPECT_EQ(empty.height, font->lineHeight());
    int previous = 0;
    for (std::u16string text = u"W"; text.size() < 8; text += u"W") {
        const int width = measureRun(*font, text).width;
        EXPECT_GT(width, previous) << text.size();
        previous = width;
    }
}

TEST(TextRun, ShapingAppliesKerningAndJoining) {
    FontHandle font = testFont(32);
    const int pair = measureRun(*font, u"AV").width;
    EXPECT_LT(pair, measureRun(*font, u"A").width + measureRun(*font, u"V").width);
    // Lam followed by alef becomes one ligature glyph in Arabic shaping.
    TextLock lock;
    EXPECT_EQ(font->shape(u"\u0644\u0627").glyphs.size(), 1u);
}

TEST(TextRun, CharactersMissingFromTheFaceComeFromAFallbackFace) {
    FontHandle font = fontFor({16, 400, false, u"Arial"});
    const std::u16string arabic = u"\u0633\u0644\u0627\u0645";
    TextLock lock;
    bool fromFallback = false;
    for (const ShapedGlyph& glyph : font->shape(u"Anna " + arabic).glyphs) {
        EXPECT_NE(glyph.glyph, 0u) << "missing glyph for cluster " << glyph.cluster;
        fromFallback |= glyph.face != font.get();
        if (glyph.cluster < 5) {
            EXPECT_EQ(glyph.face, font.get()) << "Latin letters stay in the asked face";
        }
    }
    // Only a face without Arabic needs a fallback for it.
    if (font->familyName() == "Liberation Sans") {
        EXPECT_TRUE(fromFallback);
    }
}

TEST(TextRun, SurrogatesAndBrokenUtf16DoNotFail) {
    FontHandle font = testFont();
    Surface surface = whiteSurface(300, 200);
    const std::u16string samples[] = {
        u"a\U0001F600b",                                              // a proper pair
        std::u16string(u"x") + char16_t(0xD800) + u"y",               // lone high surrogate
        std::u16string(1, char16_t(0xDC00)) + u" z",                  // lone low surrogate
        std::u16string{char16_t(0xDC00), char16_t(0xD800)},           // pair in the wrong order
        std::u16string(u"end") + char16_t(0xD83D),                    // cut in half at the end
        u"\u05E9\u05DC\u05D5\u05DD abc \u0633\u0644\u0627\u0645 123", // mixed directions
    };
    for (const std::u16string& text : samples) {
        EXPECT_GT(measureRun(*font, text).width, 0);
        drawRun(surface, surface.bounds(), {0, 0}, *font, text, kRed);
        const Rect used = drawFormatted(&surface, {0, 20, 40, 200}, surface.bounds(), *font, text,
                                        kRed, Format::WordBreak | Format::Centre);
        EXPECT_GE(used.height(), font->lineHeight());
    }
}

// ---------------------------------------------------------------------------------------
// Formatted text: lines

TEST(TextFormatted, WordBreakWrapsAtLineBreakOpportunities) {
    FontHandle font = testFont();
    const std::u16string text = u"Anna Maria Berg";
    const Rect oneLine = calculate(*font, text, 1000);
    EXPECT_EQ(lineCount(*font, oneLine), 1);
    EXPECT_EQ(oneLine.width(), measureRun(*font, text).width);

    // The words "Anna Maria" fit, the next one does not: two lines, the first without
    // its trailing space.
    const int firstWidth = measureRun(*font, u"Anna Maria").width;
    const Rect wrapped = calculate(*font, text, firstWidth + 2, Format::WordBreak);
    EXPECT_EQ(lineCount(*font, wrapped), 2);
    EXPECT_EQ(wrapped.width(), firstWidth);

    // A hyphen is a break opportunity too, so a narrower rectangle splits after it.
    const int bergWidth = measureRun(*font, u"Berg-").width;
    const Rect narrow = calculate(*font, u"Berg-Schneider", bergWidth + 1, Format::WordBreak);
    EXPECT_EQ(lineCount(*font, narrow), 2);
    EXPECT_EQ(narrow.width(), std::max(bergWidth, measureRun(*font, u"Schneider").width));

    // Without word break the text stays on one line however narrow the rectangle.
    EXPECT_EQ(lineCount(*font, calculate(*font, text, 20)), 1);
}

TEST(TextFormatted, LongWordsAreNotCutAndEachWordMayTakeALine) {
    FontHandle font = testFont();
    const Rect word = calculate(*font, u"Supercalifragilistic", 10, Format::WordBreak);
    EXPECT_EQ(lineCount(*font, word), 1);
    EXPECT_EQ(word.width(), measureRun(*font, u"Supercalifragilistic").width);
    // A zero-width rectangle still lays out: one word per line.
    EXPECT_EQ(lineCount(*font, calculate(*font, u"one two three", 0, Format::WordBreak)), 3);
}

TEST(TextFormatted, LineFeedsStartLinesUnlessSingleLine) {
    FontHandle font = testFont();
    EXPECT_EQ(lineCount(*font, calculate(*font, u"first\nsecond\r\nthird", 1000)), 3);
    EXPECT_EQ(lineCount(*font, calculate(*font, u"first\r\rthird", 1000)), 3);
    EXPECT_EQ(lineCount(*font, calculate(*font, u"first\n", 1000)), 1);
    EXPECT_EQ(lineCount(*font, calculate(*font, u"a\nb", 1000, Format::SingleLine)), 1);
    EXPECT_EQ(lineCount(*font, calculate(*font, u"a\nb", 1000, Format::WordBreak)), 2);
}

TEST(TextFormatted, EmptyTextAndEmptyRectangleDrawNothing) {
    FontHandle font = testFont();
    Surface surface = whiteSurface(100, 100);
    EXPECT_EQ(calculate(*font, u"", 50), (Rect{10, 20, 10, 20}));
    drawFormatted(&surface, {0, 0, 100, 100}, surface.bounds(), *font, u"", kRed,
                  Format::Centre | Format::VerticalCentre);
    drawFormatted(&surface, {20, 20, 20, 20}, surface.bounds(), *font, u"Hidden", kRed,
                  Format::WordBreak);
    drawFormatted(&surface, {-50, -50, 0, 0}, surface.bounds(), *font, u"Hidden", kRed, 0);
    EXPECT_TRUE(inkBounds(surface).isEmpty());
}

TEST(TextFormatted, CalculateRectDrawsNothing) {
    FontHandle font = testFont();
    Surface surface = whiteSurface(200, 100);
    const Rect rect{30, 40, 100, 60};
    const Rect result = drawFormatted(&surface, rect, surface.bounds(), *font, u"Measured text",
                                      kRed, Format::CalculateRect | Format::Right | Format::Bottom);
    EXPECT_TRUE(inkBounds(surface).isEmpty());
    EXPECT_EQ(result.left, 30);
    EXPECT_EQ(result.top, 40);
    EXPECT_EQ(result.width(), measureRun(*font, u"Measured text").width);
    EXPECT_EQ(result.height(), font->lineHeight());
}

// ---------------------------------------------------------------------------------------
// Formatted text: placement and clipping

TEST(TextFormatted, AlignmentPlacesTheWholeBlock) {
    FontHandle font = testFont();
    const Rect column{20, 10, 110, 190};
    const std::u16string text = u"Wrapped text that needs a few lines here";
    const int lh = font->lineHeight();

    struct Case {
        unsigned flags;
        const char* name;
    };
    for (const Case& c :
         {Case{Format::Left, "left"}, Case{Format::Centre, "centre"}, Case{Format::Right, "right"},
          Case{Format::VerticalCentre, "vcentre"}, Case{Format::Bottom, "bottom"},
          Case{Format::Centre | Format::VerticalCentre, "middle"}}) {
        SCOPED_TRACE(c.name);
        Surface surface = whiteSurface(240, 200);
        const unsigned flags = c.flags | Format::WordBreak | Format::NoPrefix;
        const Rect block =
            drawFormatted(&surface, column, surface.bounds(), *font, text, kRed, flags);
        const int lines = lineCount(*font, block);
        EXPECT_GE(lines, 3);
        EXPECT_EQ(block.height(), lines * lh);

        if (c.flags & Format::Bottom)
            EXPECT_EQ(block.bottom, column.bottom);
        else if (c.flags & Format::VerticalCentre)
            EXPECT_LE(std::abs((block.top - column.top) - (column.bottom - block.bottom)), 1);
        else
            EXPECT_EQ(block.top, column.top);

        if (c.flags & Format::Centre)
            EXPECT_LE(std::abs((block.left - column.left) - (column.right - block.right)), 1);
        else if (c.flags & Format::Right)
            EXPECT_EQ(block.right, column.right);
        else
            EXPECT_EQ(block.left, column.left);

        // The pixels agree with the block that was reported.
        const Rect ink = inkBounds(surface);
        ASSERT_FALSE(ink.isEmpty());
        EXPECT_GE(ink.top, block.top);
        EXPECT_LE(ink.bottom, block.bottom);
        EXPECT_GE(ink.left, block.left - 1);
        EXPECT_LE(ink.right, block.right + 1);
    }
}

TEST(TextFormatted, ClipsToTheRectangleUnlessNoClip) {
    FontHandle font = testFont();
    const Rect rect{10, 10, 40, 30};
    Surface clipped = whiteSurface(200, 60);
    drawFormatted(&clipped, rect, clipped.bounds(), *font, u"Much too long for it", kRed, 0);
    const Rect ink = inkBounds(clipped);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_EQ(ink.intersected(rect), ink);

    Surface unclipped = whiteSurface(200, 60);
    drawFormatted(&unclipped, rect, unclipped.bounds(), *font, u"Much too long for it", kRed,
                  Format::NoClip);
    EXPECT_GT(inkBounds(unclipped).right, rect.right);
    // The caller's clip still holds without the rectangle's.
    Surface limited = whiteSurface(200, 60);
    drawFormatted(&limited, rect, {0, 0, 60, 60}, *font, u"Much too long for it", kRed,
                  Format::NoClip);
    EXPECT_LE(inkBounds(limited).right, 60);
}

TEST(TextFormatted, AmpersandIsDrawnAsIsWithNoPrefix) {
    FontHandle font = testFont();
    const int withAmpersand = measureRun(*font, u"Tom & Jerry").width;
    EXPECT_EQ(calculate(*font, u"Tom & Jerry", 1000).width(), withAmpersand);
    // Without no-prefix "&&" is one "&" and a single "&" marks the next letter instead.
    EXPECT_EQ(drawFormatted(nullptr, {0, 0, 1000, 0}, {}, *font, u"Tom && Jerry", kRed,
                            Format::CalculateRect)
                  .width(),
              withAmpersand);
    EXPECT_EQ(
        drawFormatted(nullptr, {0, 0, 1000, 0}, {}, *font, u"&File", kRed, Format::CalculateRect)
            .width(),
        measureRun(*font, u"File").width);

    // The marked letter is underlined below the baseline; "File" has no descenders.
    Surface plain = whiteSurface(100, 40);
    Surface marked = whiteSurface(100, 40);
    drawFormatted(&plain, {0, 0, 100, 40}, plain.bounds(), *font, u"File", kRed, Format::NoPrefix);
    drawFormatted(&marked, {0, 0, 100, 40}, marked.bounds(), *font, u"&File", kRed, 0);
    EXPECT_LE(inkBounds(plain).bottom, font->ascent() + 1);
    EXPECT_GT(inkBounds(marked).bottom, font->ascent() + 1);
    // Only the "F" is underlined.
    const Rect underline = inkBounds(marked, {0, font->ascent() + 1, 100, 40});
    ASSERT_FALSE(underline.isEmpty());
    EXPECT_LE(underline.right, measureRun(*font, u"F").width + 1);
}

TEST(TextFormatted, ThreadsTakingTurnsDrawTheSameText) {
    FontHandle font = testFont();
    Surface expected = whiteSurface(120, 40);
    drawFormatted(&expected, expected.bounds(), expected.bounds(), *font, u"Threads 123", kRed,
                  Format::Centre);
    auto worker = [&](Surface* out, int fontHeight) {
        FontHandle own = testFont(fontHeight);
        for (int i = 0; i < 50; ++i) {
            *out = whiteSurface(120, 40);
            drawFormatted(out, out->bounds(), out->bounds(), *font, u"Threads 123", kRed,
                          Format::Centre);
            measureRun(*own, u"other size " + std::u16string(1, char16_t(u'a' + i % 26)));
        }
    };
    Surface first, second;
    std::thread a(worker, &first, 17);
    std::thread b(worker, &second, 19);
    a.join();
    b.join();
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x) {
            ASSERT_EQ(first.at(x, y), expected.at(x, y));
            ASSERT_EQ(second.at(x, y), expected.at(x, y));
        }
}
