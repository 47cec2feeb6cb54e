#pragma once
// The text of an edit window: UTF-16 text with a caret and a selection anchor, edited a
// user-perceived character at a time (a surrogate pair, a letter with its combining
// marks and an emoji sequence each go as one), word-wrapped into lines at the places
// ICU's line breaking allows, and bounded in length so a paste cannot grow it without
// limit. The window that shows it draws and scrolls; this keeps what the user typed.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::platform {

class EditBuffer {
public:
    // Far more than a note or a message needs, small enough to wrap at every keystroke.
    static constexpr size_t defaultMaxLength = 32 * 1024;

    explicit EditBuffer(size_t maxLength = defaultMaxLength);

    const std::u16string& text() const { return text_; }
    // Replaces the whole text (line breaks made "\n", cut to the limit), puts the caret
    // after the last character and clears the modified flag.
    void setText(std::u16string_view text);

    // ---- caret and selection (offsets in code units, always on character boundaries) ----
    size_t caret() const { return caret_; }
    size_t anchor() const { return anchor_; }
    bool hasSelection() const { return caret_ != anchor_; }
    size_t selectionStart() const { return std::min(caret_, anchor_); }
    size_t selectionEnd() const { return std::max(caret_, anchor_); }
    std::u16string selectedText() const;
    // Moves the caret to the character boundary at or before `offset`; with `extend` the
    // anchor stays, so the selection grows or shrinks.
    void setCaret(size_t offset, bool extend);
    void selectAll();
    // One character to the left or right; without `extend` a selection collapses to its
    // edge instead.
    void moveLeft(bool extend);
    void moveRight(bool extend);

    // ---- editing; each sets the modified flag when the text changed ----

    // Replaces the selection by `typed` (pasted text may hold "\r\n" or "\r", which become
    // "\n"; other control characters but tab are dropped). What would pass the length
    // limit is left out, never half a character. Returns false when nothing fit.
    bool insert(std::u16string_view typed);
    // The selection, else the character before (after) the caret.
    void deleteBackward();
    void deleteForward();
    bool modified() const { return modified_; }
    void setModified(bool modified) { modified_ = modified; }

    // ---- composition: text an input method shows while it is being composed ----
    const std::u16string& composition() const { return composition_; }
    void setComposition(std::u16string_view text) { composition_ = text; }

    // ---- layout ----
    // One wrapped line: [start, end) of the text, without the "\n" that may end it.
    struct Line {
        size_t start = 0;
        size_t end = 0;
    };
    // The width in pixels of a piece of one line, as the window's font draws it.
    using Measure = std::function<int(std::u16string_view)>;
    // Breaks the text into lines no wider than `width` where the line-break rules allow,
    // and inside a word only when the word alone is wider. There is always one line.
    std::vector<Line> wrap(int width, const Measure& measure) const;
    // The index of the line holding `offset` (at a wrap, the caret sits at the start of
    // the next line).
    static size_t lineOf(const std::vector<Line>& lines, size_t offset);
    // Moves the caret `delta` lines up (negative) or down, to the character boundary
    // nearest to its present x; at the first or last line it goes to the text's start or
    // end.
    void moveVertically(const std::vector<Line>& lines, int delta, const Measure& measure,
                        bool extend);

private:
    size_t previousBoundary(size_t offset) const;
    size_t nextBoundary(size_t offset) const;
    // The longest prefix of `piece` that ends on a character boundary and fits `room`.
    static std::u16string_view fitting(std::u16string_view piece, size_t room);
    void replaceSelection(std::u16string_view with);

    std::u16string text_;
    std::u16string composition_;
    size_t caret_ = 0;
    size_t anchor_ = 0;
    size_t maxLength_;
    bool modified_ = false;
};

} // namespace vantrel::platform
