#include "platform/text/EditBuffer.h"

#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <memory>

namespace vantrel::platform {

namespace {

enum class Breaks { character, line };

// An ICU break iterator over `text`, which must outlive it. Null when ICU has no rules
// (a broken installation): callers then fall back to code units, which never splits a
// surrogate pair because they step over pairs themselves.
struct Breaker {
    Breaker(std::u16string_view text, Breaks kind)
        : alias(false, text.data(), static_cast<int32_t>(text.size())) {
        UErrorCode status = U_ZERO_ERROR;
        iterator.reset(
            kind == Breaks::character
                ? icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status)
                : icu::BreakIterator::createLineInstance(icu::Locale::getRoot(), status));
        if (U_FAILURE(status))
            iterator.reset();
        else
            iterator->setText(alias);
    }
    icu::UnicodeString alias;
    std::unique_ptr<icu::BreakIterator> iterator;
};

bool isHigh(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool isLow(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// The character boundary after `offset` in `text` (its size at the end).
size_t following(const Breaker& breaker, std::u16string_view text, size_t offset) {
    if (offset >= text.size())
        return text.size();
    if (breaker.iterator) {
        int32_t next = breaker.iterator->following(static_cast<int32_t>(offset));
        return next == icu::BreakIterator::DONE ? text.size() : static_cast<size_t>(next);
    }
    return offset +
           (isHigh(text[offset]) && offset + 1 < text.size() && isLow(text[offset + 1]) ? 2 : 1);
}

// The character boundary at or before `offset`.
size_t atOrBefore(const Breaker& breaker, std::u16string_view text, size_t offset) {
    offset = std::min(offset, text.size());
    if (breaker.iterator) {
        icu::BreakIterator& it = *breaker.iterator;
        const auto target = static_cast<int32_t>(offset);
        // ICU moves an offset inside a surrogate pair back to the pair's start before it
        // looks, so "preceding" may land one character short: step forward again.
        int32_t found = it.preceding(target);
        if (found == icu::BreakIterator::DONE)
            found = 0;
        for (int32_t next = it.following(found); next != icu::BreakIterator::DONE && next <= target;
             next = it.next())
            found = next;
        return static_cast<size_t>(found);
    }
    return offset > 0 && offset < text.size() && isLow(text[offset]) && isHigh(text[offset - 1])
               ? offset - 1
               : offset;
}

// Line breaks as "\n"; control characters other than tab and line break are dropped,
// since no font draws them and they would only hide in the text.
std::u16string normalised(std::u16string_view typed) {
    std::u16string clean;
    clean.reserve(typed.size());
    for (size_t i = 0; i < typed.size(); ++i) {
        char16_t c = typed[i];
        if (c == u'\r') {
            clean += u'\n';
            if (i + 1 < typed.size() && typed[i + 1] == u'\n')
                ++i;
        } else if (c >= 0x20 || c == u'\n' || c == u'\t') {
            clean += c;
        }
    }
    return clean;
}

std::u16string_view withoutTrailingSpace(std::u16string_view piece) {
    while (!piece.empty() && (piece.back() == u' ' || piece.back() == u'\t'))
        piece.remove_suffix(1);
    return piece;
}

} // namespace

EditBuffer::EditBuffer(size_t maxLength) : maxLength_(maxLength) {}

std::u16string_view EditBuffer::fitting(std::u16string_view piece, size_t room) {
    if (piece.size() <= room)
        return piece;
    Breaker characters(piece, Breaks::character);
    return piece.substr(0, atOrBefore(characters, piece, room));
}

void EditBuffer::setText(std::u16string_view text) {
    std::u16string clean = normalised(text);
    text_ = std::u16string(fitting(clean, maxLength_));
    caret_ = anchor_ = text_.size();
    composition_.clear();
    modified_ = false;
}

std::u16string EditBuffer::selectedText() const {
    return text_.substr(selectionStart(), selectionEnd() - selectionStart());
}

size_t EditBuffer::previousBoundary(size_t offset) const {
    if (offset == 0)
        return 0;
    Breaker characters(text_, Breaks::character);
    return atOrBefore(characters, text_, offset - 1);
}

size_t EditBuffer::nextBoundary(size_t offset) const {
    Breaker characters(text_, Breaks::character);
    return following(characters, text_, offset);
}

void EditBuffer::setCaret(size_t offset, bool extend) {
    Breaker characters(text_, Breaks::character);
    caret_ = atOrBefore(characters, text_, offset);
    if (!extend)
        anchor_ = caret_;
}

void EditBuffer::selectAll() {
    anchor_ = 0;
    caret_ = text_.size();
}

void EditBuffer::moveLeft(bool extend) {
    if (!extend && hasSelection())
        setCaret(selectionStart(), false);
    else
        setCaret(previousBoundary(caret_), extend);
}

void EditBuffer::moveRight(bool extend) {
    if (!extend && hasSelection())
        setCaret(selectionEnd(), false);
    else
        setCaret(nextBoundary(caret_), extend);
}

void EditBuffer::replaceSelection(std::u16string_view with) {
    const size_t start = selectionStart();
    text_.replace(start, selectionEnd() - start, with);
    caret_ = anchor_ = start + with.size();
    modified_ = true;
}

bool EditBuffer::insert(std::u16string_view typed) {
    std::u16string clean = normalised(typed);
    const size_t kept = text_.size() - (selectionEnd() - selectionStart());
    std::u16string_view fit = fitting(clean, maxLength_ > kept ? maxLength_ - kept : 0);
    if (fit.empty())
        return clean.empty();
    replaceSelection(fit);
    return true;
}

void EditBuffer::deleteBackward() {
    if (!hasSelection())
        anchor_ = previousBoundary(caret_);
    if (hasSelection())
        replaceSelection({});
}

void EditBuffer::deleteForward() {
    if (!hasSelection())
        anchor_ = nextBoundary(caret_);
    if (hasSelection())
        replaceSelection({});
}

std::vector<EditBuffer::Line> EditBuffer::wrap(int width, const Measure& measure) const {
    std::vector<Line> lines;
    size_t paragraph = 0;
    while (true) {
        size_t end = text_.find(u'\n', paragraph);
        if (end == std::u16string::npos)
            end = text_.size();
        std::u16string_view para(text_.data() + paragraph, end - paragraph);
        if (para.empty())
            lines.push_back({paragraph, paragraph});
        Breaker opportunities(para, Breaks::line);
        Breaker characters(para, Breaks::character);
        size_t start = 0;
        while (start < para.size()) {
            // The farthest break opportunity whose line fits; spaces at its end hang.
            size_t best = 0;
            if (opportunities.iterator) {
                for (int32_t b = opportunities.iterator->following(static_cast<int32_t>(start));
                     b != icu::BreakIterator::DONE; b = opportunities.iterator->next()) {
                    if (measure(withoutTrailingSpace(para.substr(start, b - start))) > width)
                        break;
                    best = static_cast<size_t>(b);
                }
            }
            if (best <= start) {
                // A word wider than the line is cut between characters, at least one a line.
                best = following(characters, para, start);
                for (size_t next = following(characters, para, best);
                     best < para.size() && measure(para.substr(start, next - start)) <= width;
                     next = following(characters, para, next))
                    best = next;
            }
            lines.push_back({paragraph + start, paragraph + best});
            start = best;
        }
        if (end == text_.size())
            break;
        paragraph = end + 1;
    }
    return lines;
}

size_t EditBuffer::lineOf(const std::vector<Line>& lines, size_t offset) {
    size_t index = 0;
    for (size_t i = 0; i < lines.size() && lines[i].start <= offset; ++i)
        index = i;
    return index;
}

void EditBuffer::moveVertically(const std::vector<Line>& lines, int delta, const Measure& measure,
                                bool extend) {
    if (lines.empty())
        return;
    const size_t current = lineOf(lines, caret_);
    const long target = static_cast<long>(current) + delta;
    if (target < 0)
        return setCaret(0, extend);
    if (target >= static_cast<long>(lines.size()))
        return setCaret(text_.size(), extend);
    const int x = measure(
        std::u16string_view(text_).substr(lines[current].start, caret_ - lines[current].start));
    const Line& line = lines[static_cast<size_t>(target)];
    // The end of a line that wraps softly is the next line's start: the caret stays on
    // this one only up to the character before.
    const bool soft = static_cast<size_t>(target) + 1 < lines.size() &&
                      lines[static_cast<size_t>(target) + 1].start == line.end;
    std::u16string_view view(text_.data() + line.start, line.end - line.start);
    Breaker characters(view, Breaks::character);
    size_t best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (size_t b = 0;; b = following(characters, view, b)) {
        if (soft && b > 0 && b == view.size())
            break;
        int distance = std::abs(measure(view.substr(0, b)) - x);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = b;
        }
        if (b >= view.size())
            break;
    }
    setCaret(line.start + best, extend);
}

} // namespace vantrel::platform
