#pragma once
// The platform's edit window: a child window holding multi-line text that the user types
// into, the one native control the product uses. It wraps words where ICU's line
// breaking allows, scrolls vertically to keep the caret in view, selects by stylus drag
// and shift with the arrow keys, cuts, copies and pastes through the clipboard, shows an
// input method's composition underlined at the caret while it is composed, and keeps a
// "modified" flag for its owner.
//
// The class "CAPEDIT" is the same edit, capitalising a letter typed at the very start
// of the text, as the phone's edit for names and notes did.
//
// Like the phone's edit it talks to its parent with messages: msg::command with an
// editNotify code in the high word of wParam and the edit in lParam when it gains or
// loses the focus or the user changed the text, and msg::ctlColorEdit before it paints,
// so the parent can hand over the background and text colour of the control it stands
// in for. A parent that does not answer gets white with black text.

#include "platform/core/Window.h"
#include "platform/gfx/Surface.h"
#include "platform/text/EditBuffer.h"
#include "platform/text/FontFace.h"

#include <string>
#include <string_view>
#include <vector>

namespace vantrel::platform {

namespace editNotify {
constexpr uint32_t setFocus = 0x0100;
constexpr uint32_t killFocus = 0x0200;
constexpr uint32_t change = 0x0300;
} // namespace editNotify

// The parent's answer to msg::ctlColorEdit (wParam points at it). The brush is laid
// from the edit's top-left corner and repeated when smaller; it must stay valid until
// the sendMessage returns.
struct EditColours {
    const Surface* brush = nullptr;
    Colour text = rgb(0, 0, 0);
};

class EditWindow {
public:
    static constexpr std::u16string_view className = u"EDIT";
    static constexpr std::u16string_view capEditClassName = u"CAPEDIT";
    // Pixels between the edge and the text, on every side.
    static constexpr int margin = 2;
    // The caret's blink period; also the id of its timer.
    static constexpr uint32_t blinkMs = 500;
    // No line holds more UTF-16 units than this, however narrow its characters (a paste
    // of zero-width ones): wrapping measures a line's pieces again and again, and this
    // keeps that cost bounded at every keystroke. Real text breaks far earlier.
    static constexpr size_t maxLineUnits = 512;

    // Registers both classes for the process; calling again is harmless. False when
    // another procedure took one of the names.
    static bool registerClasses();
    // A child edit of `parent` at `rect` (the parent's client coordinates); 0 when the
    // class is not one of the two or the parent is no window of this thread.
    static WindowHandle create(std::u16string_view className, WindowHandle parent, Rect rect,
                               bool visible);
    // The edit behind a handle; null for any other window.
    static EditWindow* from(WindowHandle window);

    const std::u16string& text() const { return buffer_.text(); }
    // Replaces the text, puts the caret after it, scrolls it into view and clears the
    // modified flag. The parent is not notified: only the user's changes notify.
    void setText(std::u16string_view text);
    bool modified() const { return buffer_.modified(); }
    void setModified(bool modified) { buffer_.setModified(modified); }
    // Null keeps the current font. The edit starts with a 12-pixel default face.
    void setFont(FontHandle font);

    size_t caret() const { return buffer_.caret(); }
    size_t anchor() const { return buffer_.anchor(); }
    // Offsets in UTF-16 units, moved to character boundaries.
    void setSelection(size_t anchor, size_t caret);
    std::u16string selectedText() const { return buffer_.selectedText(); }
    const std::u16string& composition() const { return buffer_.composition(); }

    void copy() const;
    void cut();
    void paste();

    // The first line shown at the top and the wrapped lines (for the caret's line).
    size_t topLine() const { return topLine_; }
    const std::vector<EditBuffer::Line>& lines();

    WindowHandle handle() const { return handle_; }

    EditWindow(WindowHandle handle, bool capitalise);

private:
    static intptr_t procedure(WindowHandle window, uint32_t id, uintptr_t wParam,
                              intptr_t lParam, bool capitalise);
    intptr_t handle(uint32_t id, uintptr_t wParam, intptr_t lParam);

    void paint();
    void onKey(uint32_t virtualKey, intptr_t flags);
    void onCharacter(char16_t character);
    void onStylus(uint32_t id, Point p);
    void onFocus(bool gained);

    int measure(std::u16string_view piece) const;
    int lineHeight() const;
    int visibleLines() const;
    // The text offset nearest to a point of the client area.
    size_t offsetAt(Point p);
    // Wrapping is redone on the next need; the caret is brought into view and shown.
    void textChanged();
    void caretMoved();
    void ensureCaretVisible();
    // Tells the parent; the parent may hide or destroy the edit in its answer, so this
    // is the last thing a handler does.
    void notify(uint32_t code);
    void startTextInput();

    WindowHandle handle_;
    bool capitalise_;
    EditBuffer buffer_;
    FontHandle font_;
    std::vector<EditBuffer::Line> lines_;
    bool linesValid_ = false;
    size_t topLine_ = 0;
    bool focused_ = false;
    bool caretShown_ = true;
    bool dragging_ = false;
    char16_t pendingHigh_ = 0; // the first half of a pair typed as two characters
};

} // namespace vantrel::platform
