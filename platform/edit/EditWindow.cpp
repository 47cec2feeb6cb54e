// The edit window.
//
//   classes and lifetime   one EditWindow per window, made at create, gone at destroy
//   painting               the parent's brush, the wrapped lines, selection, composition,
//                          the caret
//   input                  keys, characters, composition, stylus, focus
//   layout                 wrapping, scrolling, hit testing

#include "platform/edit/EditWindow.h"

#include "platform/core/Backend.h"
#include "platform/core/Clipboard.h"
#include "platform/gfx/Painter.h"
#include "platform/text/TextDrawing.h"

#include <unicode/uchar.h>

#include <algorithm>
#include <map>
#include <memory>

namespace vantrel::platform {

namespace {

// The phone's selection colours.
constexpr Colour highlight = rgb(0x31, 0x6A, 0xC5);
constexpr Colour highlightText = rgb(0xFF, 0xFF, 0xFF);
constexpr Colour plainBackground = rgb(0xFF, 0xFF, 0xFF);

std::map<WindowHandle, std::unique_ptr<EditWindow>>& edits() {
    static std::map<WindowHandle, std::unique_ptr<EditWindow>> map;
    return map;
}

bool isHigh(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool isLow(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// Puts the typed text's first letter in capitals (a pair counts as one letter).
void capitaliseFirst(std::u16string& typed) {
    if (typed.empty())
        return;
    const bool pair = typed.size() > 1 && isHigh(typed.front()) && isLow(typed[1]);
    const UChar32 first =
        pair ? 0x10000 + ((typed.front() - 0xD800) << 10) + (typed[1] - 0xDC00) : typed.front();
    const UChar32 upper = u_toupper(first);
    std::u16string replaced;
    if (upper >= 0x10000) {
        replaced += static_cast<char16_t>(0xD800 + ((upper - 0x10000) >> 10));
        replaced += static_cast<char16_t>(0xDC00 + ((upper - 0x10000) & 0x3FF));
    } else {
        replaced += static_cast<char16_t>(upper);
    }
    typed.replace(0, pair ? 2 : 1, replaced);
}

} // namespace

// ---- classes and lifetime ----------------------------------------------------------------

bool EditWindow::registerClasses() {
    static const bool registered = [] {
        bool plain = registerClass(
            {std::u16string(className), [](WindowHandle w, uint32_t id, uintptr_t wp, intptr_t lp) {
                 return procedure(w, id, wp, lp, false);
             }});
        bool capital = registerClass({std::u16string(capEditClassName),
                                      [](WindowHandle w, uint32_t id, uintptr_t wp, intptr_t lp) {
                                          return procedure(w, id, wp, lp, true);
                                      }});
        return plain && capital;
    }();
    return registered;
}

WindowHandle EditWindow::create(std::u16string_view name, WindowHandle parent, Rect rect,
                                bool visible) {
    if ((name != className && name != capEditClassName) || !registerClasses())
        return 0;
    return createChildWindow(name, parent, rect, visible);
}

EditWindow* EditWindow::from(WindowHandle window) {
    auto found = edits().find(window);
    return found == edits().end() ? nullptr : found->second.get();
}

EditWindow::EditWindow(WindowHandle handle, bool capitalise)
    : handle_(handle), capitalise_(capitalise), font_(fontFor(LogicalFont{})) {}

intptr_t EditWindow::procedure(WindowHandle window, uint32_t id, uintptr_t wParam,
                               intptr_t lParam, bool capitalise) {
    if (id == msg::create) {
        edits()[window] = std::make_unique<EditWindow>(window, capitalise);
        return 0;
    }
    if (id == msg::destroy) {
        edits().erase(window);
        return 0;
    }
    EditWindow* edit = from(window);
    return edit ? edit->handle(id, wParam, lParam)
                : defaultWindowProcedure(window, id, wParam, lParam);
}

intptr_t EditWindow::handle(uint32_t id, uintptr_t wParam, intptr_t lParam) {
    switch (id) {
    case msg::paint:
        paint();
        return 0;
    case msg::size:
        linesValid_ = false;
        ensureCaretVisible();
        invalidateRect(handle_);
        return 0;
    case msg::keyDown:
        onKey(static_cast<uint32_t>(wParam), lParam);
        return 0;
    case msg::character:
    case msg::imeCharacter:
        onCharacter(static_cast<char16_t>(wParam));
        return 0;
    case msg::imeComposition:
        buffer_.setComposition(compositionText());
        caretMoved();
        return 0;
    case msg::leftButtonDown:
    case msg::mouseMove:
    case msg::leftButtonUp:
        onStylus(id, unpackPoint(lParam));
        return 0;
    case msg::setFocus:
    case msg::killFocus:
        onFocus(id == msg::setFocus);
        return 0;
    case msg::timer:
        caretShown_ = !caretShown_;
        invalidateRect(handle_);
        return 0;
    default:
        return defaultWindowProcedure(handle_, id, wParam, lParam);
    }
}

// ---- the text --------------------------------------------------------------------------

void EditWindow::setText(std::u16string_view text) {
    buffer_.setText(text);
    textChanged();
}

void EditWindow::setFont(FontHandle font) {
    if (!font || font == font_)
        return;
    font_ = std::move(font);
    textChanged();
}

void EditWindow::setSelection(size_t anchor, size_t caret) {
    buffer_.setCaret(anchor, false);
    buffer_.setCaret(caret, true);
    caretMoved();
}

void EditWindow::copy() const {
    if (buffer_.hasSelection())
        setClipboardText(buffer_.selectedText());
}

void EditWindow::cut() {
    if (!buffer_.hasSelection())
        return;
    copy();
    buffer_.deleteBackward();
    textChanged();
    notify(editNotify::change);
}

void EditWindow::paste() {
    std::u16string pasted = clipboardText();
    if (pasted.empty() || !buffer_.insert(pasted))
        return;
    textChanged();
    notify(editNotify::change);
}

// ---- layout ----------------------------------------------------------------------------

int EditWindow::measure(std::u16string_view piece) const {
    if (piece.size() > maxLineUnits)
        return INT32_MAX / 4; // wider than any edit: the line breaks before it
    return font_ ? measureRun(*font_, piece).width : 0;
}

int EditWindow::lineHeight() const {
    return font_ ? std::max(1, font_->lineHeight()) : 1;
}

int EditWindow::visibleLines() const {
    return std::max(1, (clientRect(handle_).height() - 2 * margin) / lineHeight());
}

const std::vector<EditBuffer::Line>& EditWindow::lines() {
    if (!linesValid_) {
        const int width = std::max(1, clientRect(handle_).width() - 2 * margin);
        lines_ = buffer_.wrap(width, [this](std::u16string_view piece) { return measure(piece); });
        linesValid_ = true;
    }
    return lines_;
}

void EditWindow::ensureCaretVisible() {
    const auto& all = lines();
    const size_t line = EditBuffer::lineOf(all, buffer_.caret());
    const size_t shown = static_cast<size_t>(visibleLines());
    if (line < topLine_)
        topLine_ = line;
    else if (line >= topLine_ + shown)
        topLine_ = line + 1 - shown;
    topLine_ = std::min(topLine_, all.size() > shown ? all.size() - shown : 0);
}

void EditWindow::textChanged() {
    linesValid_ = false;
    caretMoved();
}

void EditWindow::caretMoved() {
    ensureCaretVisible();
    caretShown_ = true;
    if (focused_)
        setTimer(handle_, blinkMs, blinkMs); // restarts the blink, so a moving caret shows
    invalidateRect(handle_);
}

size_t EditWindow::offsetAt(Point p) {
    const auto& all = lines();
    long row = static_cast<long>(topLine_) + (p.y - margin) / lineHeight();
    if (p.y < margin)
        row = static_cast<long>(topLine_) - 1;
    row = std::clamp<long>(row, 0, static_cast<long>(all.size()) - 1);
    const EditBuffer::Line& line = all[static_cast<size_t>(row)];
    // A soft-wrapped line's end is the next line's start: stop one unit short of it.
    const bool soft = static_cast<size_t>(row) + 1 < all.size() &&
                      all[static_cast<size_t>(row) + 1].start == line.end;
    const size_t last = soft && line.end > line.start ? line.end - 1 : line.end;
    const std::u16string_view text(buffer_.text());
    size_t best = line.start;
    int bestDistance = INT32_MAX;
    for (size_t offset = line.start; offset <= last; ++offset) {
        int distance = std::abs(measure(text.substr(line.start, offset - line.start)) -
                                (p.x - margin));
        if (distance < bestDistance) {
            bestDistance = distance;
            best = offset;
        }
    }
    return best;
}

// ---- painting --------------------------------------------------------------------------

void EditWindow::paint() {
    const Rect damaged = beginPaint(handle_);
    Surface* surface = windowBuffer(handle_);
    if (!surface || damaged.isEmpty()) {
        endPaint(handle_);
        return;
    }
    Painter painter(*surface);
    painter.setClip(damaged);

    EditColours colours;
    const WindowHandle parent = parentWindow(handle_);
    const bool answered =
        parent && sendMessage(parent, msg::ctlColorEdit, reinterpret_cast<uintptr_t>(&colours),
                              static_cast<intptr_t>(handle_)) != 0;
    const Surface* brush = answered ? colours.brush : nullptr;
    if (brush && !brush->isEmpty()) {
        for (int y = 0; y < surface->height(); y += brush->height())
            for (int x = 0; x < surface->width(); x += brush->width())
                if (!Rect::fromSize(x, y, brush->width(), brush->height())
                         .intersected(damaged)
                         .isEmpty())
                    painter.copy(*brush, brush->bounds(), {x, y});
    } else {
        painter.fillSolid(surface->bounds(), plainBackground);
    }
    if (!font_) {
        endPaint(handle_);
        return;
    }

    const Rect textArea{margin, margin, surface->width() - margin, surface->height() - margin};
    const Rect clip = damaged.intersected(textArea);
    const auto& all = lines();
    const std::u16string_view text(buffer_.text());
    const std::u16string& composing = buffer_.composition();
    const size_t selStart = buffer_.selectionStart(), selEnd = buffer_.selectionEnd();
    const size_t caretLine = EditBuffer::lineOf(all, buffer_.caret());
    const int height = lineHeight();
    for (size_t i = topLine_; i < all.size(); ++i) {
        const int y = margin + static_cast<int>(i - topLine_) * height;
        if (y >= textArea.bottom)
            break;
        const EditBuffer::Line& line = all[i];
        auto xAt = [&](size_t offset) {
            return margin + measure(text.substr(line.start, offset - line.start));
        };
        // The composition sits at the caret, pushing the rest of its line to the right.
        const bool composingHere = !composing.empty() && i == caretLine;
        const size_t split = composingHere ? buffer_.caret() : line.end;
        const int shift = composingHere ? measure(composing) : 0;
        drawRun(*surface, clip, {margin, y}, *font_, text.substr(line.start, split - line.start),
                colours.text);
        if (composingHere) {
            const int x = xAt(split);
            drawRun(*surface, clip, {x, y}, *font_, composing, colours.text);
            painter.setClip(clip);
            painter.fillSolid({x, y + font_->ascent() + 1, x + shift, y + font_->ascent() + 2},
                              colours.text);
            painter.setClip(damaged);
            drawRun(*surface, clip, {x + shift, y}, *font_, text.substr(split, line.end - split),
                    colours.text);
        }
        // The selected part once more, light on the highlight.
        const size_t from = std::max(selStart, line.start), to = std::min(selEnd, line.end);
        if (from < to && !composingHere) {
            const Rect band{xAt(from), y, xAt(to), y + height};
            painter.setClip(clip.intersected(band));
            painter.fillSolid(band, highlight);
            drawRun(*surface, clip.intersected(band), {margin, y}, *font_,
                    text.substr(line.start, line.end - line.start), highlightText);
            painter.setClip(damaged);
        }
        if (focused_ && caretShown_ && i == caretLine) {
            const int x = xAt(buffer_.caret()) + shift;
            painter.setClip(clip.intersected(textArea));
            painter.fillSolid({x, y, x + 1, y + height}, colours.text);
            painter.setClip(damaged);
        }
    }
    endPaint(handle_);
}

// ---- input -----------------------------------------------------------------------------

void EditWindow::onKey(uint32_t virtualKey, intptr_t flags) {
    const bool shift = flags & keyFlag::shift;
    if (flags & keyFlag::control) {
        switch (virtualKey) {
        case 'A': buffer_.selectAll(); return caretMoved();
        case 'C': return copy();
        case 'X': return cut();
        case 'V': return paste();
        default: return;
        }
    }
    auto measurer = [this](std::u16string_view piece) { return measure(piece); };
    const auto& all = lines();
    const EditBuffer::Line& line = all[EditBuffer::lineOf(all, buffer_.caret())];
    switch (virtualKey) {
    case key::left: buffer_.moveLeft(shift); break;
    case key::right: buffer_.moveRight(shift); break;
    case key::up: buffer_.moveVertically(all, -1, measurer, shift); break;
    case key::down: buffer_.moveVertically(all, 1, measurer, shift); break;
    case key::pageUp: buffer_.moveVertically(all, -visibleLines(), measurer, shift); break;
    case key::pageDown: buffer_.moveVertically(all, visibleLines(), measurer, shift); break;
    case key::home: buffer_.setCaret(line.start, shift); break;
    case key::end: {
        // The end of a softly wrapped line is the next line's start; stay on this one.
        bool soft = line.end < buffer_.text().size() && buffer_.text()[line.end] != u'\n';
        buffer_.setCaret(soft && line.end > line.start ? line.end - 1 : line.end, shift);
        break;
    }
    case key::back:
    case key::deleteKey: {
        const std::u16string before = buffer_.text();
        virtualKey == key::back ? buffer_.deleteBackward() : buffer_.deleteForward();
        if (buffer_.text() == before)
            return;
        textChanged();
        return notify(editNotify::change);
    }
    case key::enter:
    case key::action:
        if (!buffer_.insert(u"\n"))
            return;
        textChanged();
        return notify(editNotify::change);
    default: return;
    }
    caretMoved();
}

void EditWindow::onCharacter(char16_t character) {
    if (isHigh(character)) {
        pendingHigh_ = character;
        return;
    }
    std::u16string typed;
    if (isLow(character)) {
        if (!pendingHigh_)
            return;
        typed.assign({pendingHigh_, character});
    } else if (character >= 0x20 || character == u'\t') {
        typed.assign(1, character);
    }
    pendingHigh_ = 0;
    if (typed.empty())
        return; // line breaks come as keys; backspace as its key too
    // The input method committed what it composed.
    buffer_.setComposition({});
    if (capitalise_ && buffer_.selectionStart() == 0)
        capitaliseFirst(typed);
    if (!buffer_.insert(typed))
        return;
    textChanged();
    notify(editNotify::change);
}

void EditWindow::onStylus(uint32_t id, Point p) {
    if (id == msg::leftButtonDown) {
        setCapture(handle_);
        dragging_ = true;
        buffer_.setCaret(offsetAt(p), false);
        caretMoved();
        if (focusWindow() != handle_)
            setFocus(handle_); // notifies the parent: the last thing done here
        return;
    }
    if (!dragging_)
        return;
    if (id == msg::leftButtonUp) {
        dragging_ = false;
        releaseCapture();
    }
    // Dragging past the top or bottom edge scrolls a line at a time.
    buffer_.setCaret(offsetAt(p), true);
    caretMoved();
}

void EditWindow::onFocus(bool gained) {
    focused_ = gained;
    caretShown_ = true;
    if (gained) {
        setTimer(handle_, blinkMs, blinkMs);
        startTextInput();
    } else {
        killTimer(handle_, blinkMs);
        buffer_.setComposition({});
        pendingHigh_ = 0;
        dragging_ = false;
    }
    invalidateRect(handle_);
    notify(gained ? editNotify::setFocus : editNotify::killFocus);
}

void EditWindow::startTextInput() {
    Backend* backend = installedBackend();
    if (!backend)
        return;
    const auto& all = lines();
    const size_t line = EditBuffer::lineOf(all, buffer_.caret());
    const int row = static_cast<int>(line) - static_cast<int>(topLine_);
    const int x =
        margin + measure(std::u16string_view(buffer_.text())
                             .substr(all[line].start, buffer_.caret() - all[line].start));
    const Point at = clientToScreen(handle_, {x, margin + row * lineHeight()});
    backend->startTextInput(Rect::fromSize(at.x, at.y, 1, lineHeight()));
}

void EditWindow::notify(uint32_t code) {
    if (WindowHandle parent = parentWindow(handle_))
        sendMessage(parent, msg::command, static_cast<uintptr_t>(code) << 16,
                    static_cast<intptr_t>(handle_));
}

} // namespace vantrel::platform
