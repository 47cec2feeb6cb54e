// Runs and formatted text: preparing the text (mnemonic prefixes, single line), breaking
// it into lines at ICU's line-break opportunities, placing the block and drawing glyphs.

#include "platform/text/TextDrawing.h"

#include "platform/text/CoverageBlend.h"

#include <unicode/brkiter.h>
#include <unicode/uchar.h>
#include <unicode/utext.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vantrel::platform {

namespace {

void drawShaped(Surface& surface, const Rect& clip, int x, int baseline, const ShapedRun& run,
                Colour colour) {
    for (const ShapedGlyph& shaped : run.glyphs) {
        const GlyphBitmap& glyph = shaped.face->glyph(shaped.glyph);
        if (glyph.coverage.empty())
            continue;
        const Point at{x + ((shaped.x + 32) >> 6) + glyph.left,
                       baseline - ((shaped.y + 32) >> 6) - glyph.top};
        blendCoverage(surface, clip, at,
                      {glyph.coverage.data(), glyph.width, glyph.height, glyph.width}, colour);
    }
}

// ---------------------------------------------------------------------------------------
// Preparing the text

// The text as laid out: the caller's text when nothing needs changing, else a copy with
// the mnemonic markers removed and, on a single line, line feeds shown as spaces.
struct PreparedText {
    std::u16string storage;
    std::u16string_view text;
    size_t mnemonic = std::u16string::npos; // the character to underline
};

bool isLineFeed(char16_t c) {
    return c == u'\r' || c == u'\n';
}

PreparedText prepare(std::u16string_view text, unsigned flags) {
    PreparedText prepared;
    const bool prefixes = !(flags & TextFormat::NoPrefix) && text.find(u'&') != text.npos;
    const bool flatten =
        (flags & TextFormat::SingleLine) && std::any_of(text.begin(), text.end(), isLineFeed);
    if (!prefixes && !flatten) {
        prepared.text = text;
        return prepared;
    }
    prepared.storage.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (prefixes && c == u'&') {
            // "&&" is one "&"; "&x" marks x; a "&" at the very end shows nothing.
            if (i + 1 < text.size() && text[i + 1] == u'&') {
                prepared.storage.push_back(u'&');
                ++i;
            } else if (i + 1 < text.size() && prepared.mnemonic == std::u16string::npos) {
                prepared.mnemonic = prepared.storage.size();
            }
            continue;
        }
        prepared.storage.push_back(flatten && isLineFeed(c) ? u' ' : c);
    }
    prepared.text = prepared.storage;
    return prepared;
}

// ---------------------------------------------------------------------------------------
// Line breaking

struct Line {
    size_t start = 0;
    size_t end = 0;
    int width = 0;
};

struct BreakOpportunity {
    size_t position; // a line may end before this index
    bool mandatory;  // a line separator in the text itself
};

// One line-break iterator for the process; creating one costs far more than a layout.
// Used under the text lock only.
icu::BreakIterator* lineBreaker() {
    static std::unique_ptr<icu::BreakIterator> breaker = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator> created(
            icu::BreakIterator::createLineInstance(icu::Locale::getDefault(), status));
        return U_SUCCESS(status) ? std::move(created) : nullptr;
    }();
    return breaker.get();
}

std::vector<BreakOpportunity> breakOpportunities(std::u16string_view paragraph) {
    std::vector<BreakOpportunity> breaks;
    icu::BreakIterator* breaker = lineBreaker();
    UErrorCode status = U_ZERO_ERROR;
    UText* text = utext_openUChars(nullptr, paragraph.data(),
                                   static_cast<int64_t>(paragraph.size()), &status);
    if (breaker != nullptr && U_SUCCESS(status)) {
        breaker->setText(text, status);
        for (int32_t at = breaker->next(); at != icu::BreakIterator::DONE && U_SUCCESS(status);
             at = breaker->next())
            breaks.push_back({static_cast<size_t>(at), breaker->getRuleStatus() >= UBRK_LINE_HARD});
    }
    utext_close(text);
    if (breaks.empty() || breaks.back().position != paragraph.size()) {
        // Without ICU's data every space still ends a word.
        breaks.clear();
        for (size_t i = 1; i < paragraph.size(); ++i)
            if (paragraph[i - 1] == u' ' && paragraph[i] != u' ')
                breaks.push_back({i, false});
        breaks.push_back({paragraph.size(), false});
    }
    return breaks;
}

size_t trimmedEnd(std::u16string_view text, size_t start, size_t end) {
    while (end > start && u_isUWhiteSpace(text[end - 1]))
        --end;
    return end;
}

int32_t runWidth(const FontFace& font, std::u16string_view text, size_t start, size_t end) {
    return font.shape(text.substr(start, end - start)).width;
}

// Greedy wrapping: each line takes as many words as fit in `maxWidth`; a word wider than
// the rectangle gets a line of its own and is not cut. Trailing spaces of a line do not
// count, so wrapped lines centre and right-align on their visible text.
void wrapParagraph(const FontFace& font, std::u16string_view text, size_t start, size_t end,
                   int maxWidth, std::vector<Line>& lines) {
    const std::u16string_view paragraph = text.substr(start, end - start);
    // In 26.6 units; a rectangle as wide as the drawing limit would not fit in 32 bits.
    const int32_t limit = static_cast<int32_t>(std::min<int64_t>(int64_t{maxWidth} * 64, INT32_MAX));
    size_t lineStart = start;
    int32_t lineWidth = 0;
    size_t segmentStart = start;
    auto endLine = [&](size_t at) {
        lines.push_back({lineStart, trimmedEnd(text, lineStart, at), 0});
        lineStart = at;
        lineWidth = 0;
    };
    for (const BreakOpportunity& opportunity : breakOpportunities(paragraph)) {
        const size_t segmentEnd = start + opportunity.position;
        const int32_t visible =
            runWidth(font, text, segmentStart, trimmedEnd(text, segmentStart, segmentEnd));
        if (lineStart < segmentStart && lineWidth + visible > limit)
            endLine(segmentStart);
        lineWidth += runWidth(font, text, segmentStart, segmentEnd);
        if (opportunity.mandatory)
            endLine(segmentEnd);
        segmentStart = segmentEnd;
    }
    if (lineStart < end || lineStart == start)
        endLine(end);
}

// Lines of the prepared text, each with its drawn width.
std::vector<Line> layoutLines(const FontFace& font, std::u16string_view text, unsigned flags,
                              int maxWidth) {
    std::vector<Line> lines;
    if (text.empty())
        return lines;
    if (flags & TextFormat::SingleLine) {
        lines.push_back({0, text.size(), 0});
    } else {
        size_t start = 0;
        while (start <= text.size()) {
            size_t end = start;
            while (end < text.size() && !isLineFeed(text[end]))
                ++end;
            if (flags & TextFormat::WordBreak)
                wrapParagraph(font, text, start, end, maxWidth, lines);
            else
                lines.push_back({start, end, 0});
            if (end == text.size())
                break;
            // "\r\n" ends one line, as a lone "\r" or "\n" does.
            start =
                end +
                ((text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n') ? 2 : 1);
            if (start == text.size())
                break; // a final line feed starts no empty line
        }
    }
    for (Line& line : lines)
        line.width = limitedForDrawing(
            font.shape(text.substr(line.start, line.end - line.start)).pixelWidth());
    return lines;
}

// Underlines the glyphs made from the mnemonic character of a line.
void underlineMnemonic(Surface& surface, const Rect& clip, int x, int baseline,
                       const FontFace& font, const ShapedRun& run, size_t cluster, Colour colour) {
    int32_t from = INT32_MAX, to = INT32_MIN;
    for (const ShapedGlyph& glyph : run.glyphs) {
        if (glyph.cluster != cluster)
            continue;
        from = std::min(from, glyph.x);
        to = std::max(to, glyph.x + glyph.advance);
    }
    if (from >= to)
        return;
    const int left = x + ((from + 32) >> 6);
    const int width = ((to + 32) >> 6) - ((from + 32) >> 6);
    const int thickness = std::max(1, font.pixelSize() / 14);
    const std::vector<uint8_t> solid(static_cast<size_t>(std::max(width, 0)), 255);
    blendCoverage(surface, clip, {left, baseline + 1},
                  {solid.data(), width, std::min(thickness, font.descent()), 0}, colour);
}

} // namespace

Size measureRun(const FontFace& font, std::u16string_view text) {
    TextLock lock;
    font.trimCaches();
    return {font.shape(text).pixelWidth(), font.lineHeight()};
}

void drawRun(Surface& surface, const Rect& clip, Point origin, const FontFace& font,
             std::u16string_view text, Colour colour) {
    const Rect area = clip.intersected(surface.bounds());
    if (area.isEmpty() || origin.y >= area.bottom || origin.y + font.lineHeight() <= area.top)
        return;
    TextLock lock;
    font.trimCaches();
    drawShaped(surface, area, origin.x, origin.y + font.ascent(), font.shape(text), colour);
}

Rect drawFormatted(Surface* surface, const Rect& given, const Rect& clip, const FontFace& font,
                   std::u16string_view text, Colour colour, unsigned flags) {
    // Placing lines adds and halves widths and heights: within the drawing limit that
    // cannot overflow, whatever rectangle a setting produced.
    const Rect rect = given.limitedForDrawing();
    TextLock lock;
    font.trimCaches();
    const PreparedText prepared = prepare(text, flags);
    const std::vector<Line> lines = layoutLines(font, prepared.text, flags, rect.width());

    const int lineHeight = font.lineHeight();
    const int blockHeight = limitedForDrawing(static_cast<int64_t>(lines.size()) * lineHeight);
    int blockWidth = 0;
    for (const Line& line : lines)
        blockWidth = std::max(blockWidth, line.width);
    if (flags & TextFormat::CalculateRect)
        return {rect.left, rect.top, rect.left + blockWidth, rect.top + blockHeight};

    int top = rect.top;
    if (flags & TextFormat::Bottom)
        top = rect.bottom - blockHeight;
    else if (flags & TextFormat::VerticalCentre)
        top = rect.top + (rect.height() - blockHeight) / 2;
    auto lineLeft = [&](const Line& line) {
        if (flags & TextFormat::Centre)
            return rect.left + (rect.width() - line.width) / 2;
        if (flags & TextFormat::Right)
            return rect.right - line.width;
        return rect.left;
    };

    Rect area;
    if (surface != nullptr) {
        area = clip.intersected(surface->bounds());
        if (!(flags & TextFormat::NoClip))
            area = area.intersected(rect);
    }
    int left = lines.empty() ? rect.left : INT32_MAX;
    int right = lines.empty() ? rect.left : INT32_MIN;
    int y = top;
    for (const Line& line : lines) {
        const int x = lineLeft(line);
        left = std::min(left, x);
        right = std::max(right, x + line.width);
        if (!area.isEmpty() && y < area.bottom && y + lineHeight > area.top) {
            const std::u16string_view lineText =
                prepared.text.substr(line.start, line.end - line.start);
            const ShapedRun& run = font.shape(lineText);
            drawShaped(*surface, area, x, y + font.ascent(), run, colour);
            if (prepared.mnemonic >= line.start && prepared.mnemonic < line.end)
                underlineMnemonic(*surface, area, x, y + font.ascent(), font, run,
                                  prepared.mnemonic - line.start, colour);
        }
        y += lineHeight;
    }
    return {left, top, right, top + blockHeight};
}

} // namespace vantrel::platform
