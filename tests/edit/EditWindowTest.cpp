#include "platform/edit/EditWindow.h"

#include "platform/core/Clipboard.h"
#include "platform/core/Backend.h"
#include "platform/core/Clock.h"
#include "platform/text/TextDrawing.h"

#include <gtest/gtest.h>

namespace vantrel::platform {
namespace {

constexpr Colour parentColour = rgb(0, 0, 0xFF);
constexpr Colour brushColour = rgb(0xFF, 0, 0);
constexpr Colour textColour = rgb(0, 0x80, 0);

// A parent window that paints itself blue, answers the edit's colour request with a red
// brush and green text, and records the edit's notifications.
struct Parent {
    static Parent*& current() {
        static Parent* p = nullptr;
        return p;
    }
    static intptr_t procedure(WindowHandle w, uint32_t id, uintptr_t wp, intptr_t lp) {
        Parent* p = current();
        switch (id) {
        case msg::paint: {
            Rect area = beginPaint(w);
            Surface* s = windowBuffer(w);
            for (int y = area.top; y < area.bottom; ++y)
                std::fill_n(s->row(y) + area.left, area.width(), toPixel565(parentColour));
            endPaint(w);
            return 0;
        }
        case msg::command:
            p->notifications.push_back(static_cast<uint32_t>(wp >> 16));
            return 0;
        case msg::ctlColorEdit: {
            auto* colours = reinterpret_cast<EditColours*>(wp);
            colours->brush = &p->brush;
            colours->text = textColour;
            EXPECT_NE(EditWindow::from(static_cast<WindowHandle>(lp)), nullptr);
            return 1;
        }
        default:
            return defaultWindowProcedure(w, id, wp, lp);
        }
    }
    Surface brush{4, 4};
    std::vector<uint32_t> notifications;
};

class EditWindowTest : public testing::Test {
protected:
    void SetUp() override {
        Parent::current() = &parent;
        std::fill_n(parent.brush.row(0), 16, toPixel565(brushColour));
        static bool registered = registerClass({u"editparent", &Parent::procedure});
        ASSERT_TRUE(registered);
        useVirtualClock(true, 1000);
        window = createWindow(u"editparent", u"Parent", Rect{0, 0, 240, 320}, true);
        font = fontFor(LogicalFont{});
        ASSERT_TRUE(font);
    }
    void TearDown() override {
        destroyWindow(window);
        pumpMessages();
        useVirtualClock(false);
    }
    EditWindow& open(std::u16string_view className, Rect rect) {
        handle = EditWindow::create(className, window, rect, true);
        EditWindow* edit = EditWindow::from(handle);
        EXPECT_NE(edit, nullptr);
        edit->setFont(font);
        setFocus(handle);
        pumpMessages();
        parent.notifications.clear();
        return *edit;
    }
    void type(std::u16string_view text) {
        for (char16_t c : text)
            injectCharacter(c);
        pumpMessages();
    }
    void press(uint32_t vk, intptr_t flags = 0) {
        injectKey(vk, flags);
        pumpMessages();
    }
    int width(std::u16string_view text) const { return measureRun(*font, text).width; }
    Colour pixel(int x, int y) { return fromPixel565(windowBuffer(window)->row(y)[x]); }

    Parent parent;
    WindowHandle window = 0;
    WindowHandle handle = 0;
    FontHandle font;
};

TEST_F(EditWindowTest, TypedPairsAndMarksGoInWholeAndBackspaceTakesThemWhole) {
    EditWindow& edit = open(EditWindow::className, {10, 10, 230, 100});
    // U+1F600 arrives as its two halves, then "e" and a combining acute.
    type(u"a\U0001F600e\u0301");
    EXPECT_EQ(edit.text(), u"a\U0001F600e\u0301");
    EXPECT_TRUE(edit.modified());
    EXPECT_EQ(parent.notifications, std::vector<uint32_t>(4, editNotify::change))
        << "one change a character; the pair's first half alone changes nothing";
    press(key::back);
    EXPECT_EQ(edit.text(), u"a\U0001F600") << "the accent went with its letter";
    press(key::left);
    press(key::deleteKey);
    EXPECT_EQ(edit.text(), u"a");
    // A lone low half (a broken input method) is dropped rather than stored.
    type(u"\xDC00" u"b");
    EXPECT_EQ(edit.text(), u"ab");
    edit.setText(u"fresh");
    EXPECT_FALSE(edit.modified());
    EXPECT_EQ(edit.caret(), 5u) << "setText puts the caret after the text";
}

TEST_F(EditWindowTest, CapEditCapitalisesOnlyALetterTypedAtTheStart) {
    EditWindow& edit = open(EditWindow::capEditClassName, {10, 10, 230, 100});
    type(u"\u00e9t\u00e9 ok");
    EXPECT_EQ(edit.text(), u"\u00c9t\u00e9 ok");
    press(key::home);
    type(u"x");
    EXPECT_EQ(edit.text(), u"X\u00c9t\u00e9 ok");
    EditWindow& plain = open(EditWindow::className, {10, 110, 230, 200});
    type(u"abc");
    EXPECT_EQ(plain.text(), u"abc");
}

TEST_F(EditWindowTest, WrapsAtWordsScrollsToTheCaretAndMovesByLines) {
    // Room for "one two" but not "one two three".
    const int inner = width(u"one two") + 4;
    EditWindow& edit =
        open(EditWindow::className, Rect::fromSize(0, 0, inner + 2 * EditWindow::margin, 300));
    edit.setText(u"one two three four");
    const auto& lines = edit.lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(edit.text().substr(lines[1].start, lines[1].end - lines[1].start), u"three ");
    // Up from the end lands on the line above, at about the same place.
    press(key::up);
    EXPECT_EQ(EditBuffer::lineOf(edit.lines(), edit.caret()), 1u);
    press(key::home);
    EXPECT_EQ(edit.caret(), lines[1].start);

    // Three lines' height: a long text scrolls so the caret stays in view.
    const int height = 3 * font->lineHeight() + 2 * EditWindow::margin;
    moveWindow(handle, Rect::fromSize(0, 0, 200, height), false);
    std::u16string many;
    for (int i = 0; i < 10; ++i)
        many += u"line\n";
    edit.setText(many);
    EXPECT_EQ(edit.topLine(), 8u) << "lines 8, 9 and the empty last one show";
    press(key::pageUp);
    EXPECT_EQ(edit.topLine(), 7u);
    press(key::up, keyFlag::shift);
    press(key::up, keyFlag::shift);
    EXPECT_EQ(edit.topLine(), 5u);
    EXPECT_EQ(edit.selectedText(), u"line\nline\n");
}

TEST_F(EditWindowTest, APasteOfInvisibleCharactersStillBreaksIntoBoundedLines) {
    EditWindow& edit = open(EditWindow::className, {10, 10, 230, 200});
    // Zero-width spaces take no room at all: only the length bound breaks them.
    setClipboardText(std::u16string(4 * EditWindow::maxLineUnits, u'\u200B'));
    press('V', keyFlag::control);
    ASSERT_EQ(edit.text().size(), 4 * EditWindow::maxLineUnits);
    EXPECT_EQ(edit.lines().size(), 4u);
    for (const auto& line : edit.lines())
        EXPECT_LE(line.end - line.start, EditWindow::maxLineUnits);
}

TEST_F(EditWindowTest, SelectionCopiesCutsAndPastesThroughTheClipboard) {
    EditWindow& edit = open(EditWindow::className, {10, 10, 230, 200});
    type(u"hello world");
    for (int i = 0; i < 5; ++i)
        press(key::left, keyFlag::shift);
    EXPECT_EQ(edit.selectedText(), u"world");
    press('C', keyFlag::control);
    EXPECT_EQ(clipboardText(), u"world");
    press(key::home);
    press('V', keyFlag::control);
    EXPECT_EQ(edit.text(), u"worldhello world");
    press('A', keyFlag::control);
    press('X', keyFlag::control);
    EXPECT_EQ(edit.text(), u"");
    EXPECT_EQ(clipboardText(), u"worldhello world");
    // Text from the desktop comes with its own line breaks and stray controls.
    setClipboardText(u"one\r\ntwo\rthree\x07");
    press('V', keyFlag::control);
    EXPECT_EQ(edit.text(), u"one\ntwo\nthree");
    EXPECT_EQ(edit.caret(), edit.text().size());
    press(key::enter);
    EXPECT_EQ(edit.text(), u"one\ntwo\nthree\n");
}

TEST_F(EditWindowTest, AStylusDragSelectsFromWhereItWentDown) {
    EditWindow& edit = open(EditWindow::className, {10, 10, 230, 200});
    edit.setText(u"abcdef");
    setFocus(window);
    pumpMessages();
    const int y = 10 + EditWindow::margin + font->lineHeight() / 2;
    const int atB = 10 + EditWindow::margin + width(u"a");
    const int atE = 10 + EditWindow::margin + width(u"abcde");
    injectStylus(StylusAction::down, {atB, y});
    injectStylus(StylusAction::move, {atE, y});
    injectStylus(StylusAction::up, {atE, y});
    pumpMessages();
    EXPECT_EQ(focusWindow(), handle) << "the tap gave the edit the focus";
    EXPECT_EQ(edit.selectedText(), u"bcde");
    EXPECT_EQ(edit.caret(), 5u);
}

TEST_F(EditWindowTest, CompositionShowsAtTheCaretUntilItIsCommitted) {
    EditWindow& edit = open(EditWindow::className, {10, 10, 230, 100});
    type(u"ab");
    press(key::left);
    // Green text pixels right of "a" before and while composing.
    auto inkRightOfA = [&] {
        pumpMessages();
        int ink = 0;
        const int from = 10 + EditWindow::margin + width(u"a") + 2;
        for (int y = 10; y < 10 + font->lineHeight() + 4; ++y)
            for (int x = from; x < 200; ++x)
                ink += pixel(x, y) != brushColour;
        return ink;
    };
    const int before = inkRightOfA();
    injectComposition(u"\u306b\u307b\u3093");
    const int composing = inkRightOfA();
    EXPECT_EQ(edit.composition(), u"\u306b\u307b\u3093");
    EXPECT_EQ(edit.text(), u"ab") << "composed text is not yet the edit's";
    EXPECT_GT(composing, before + 20) << "the composition is drawn, underlined";
    type(u"\u65e5\u672c");
    EXPECT_EQ(edit.text(), u"a\u65e5\u672cb");
    EXPECT_EQ(edit.composition(), u"");
    injectComposition(u"x");
    pumpMessages();
    setFocus(window);
    pumpMessages();
    EXPECT_EQ(edit.composition(), u"") << "a lost focus cancels what was composed";
}

TEST_F(EditWindowTest, ThePaintUsesTheParentsBrushAndTheChildFollowsItsParent) {
    open(EditWindow::className, {10, 10, 110, 60});
    pumpMessages();
    EXPECT_EQ(pixel(5, 5), parentColour);
    EXPECT_EQ(pixel(100, 55), brushColour) << "the edit lies over its parent's drawing";
    // A repaint of the parent alone still shows the edit on top.
    invalidateRect(window);
    pumpMessages();
    EXPECT_EQ(pixel(100, 55), brushColour);

    setFocus(window);
    EXPECT_EQ(parent.notifications, std::vector<uint32_t>{editNotify::killFocus});
    setFocus(handle);
    showWindow(handle, Show::hide);
    pumpMessages();
    EXPECT_EQ(focusWindow(), window) << "a hidden edit hands the focus to its parent";
    EXPECT_EQ(pixel(100, 55), parentColour) << "the parent repainted where the edit was";
    EXPECT_EQ(parent.notifications,
              (std::vector<uint32_t>{editNotify::killFocus, editNotify::setFocus,
                                     editNotify::killFocus}));
    destroyWindow(window);
    EXPECT_EQ(EditWindow::from(handle), nullptr) << "the edit went with its parent";
    window = 0;
}

} // namespace
} // namespace vantrel::platform
