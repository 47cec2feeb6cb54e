#include "ui/TextInputControl.h"

#include "platform/edit/EditWindow.h"
#include "platform/text/TextDrawing.h"
#include "settings/Background.h"
#include "settings/Box.h"
#include "settings/Font.h"
#include "ui/ControlDump.h"

namespace vantrel {

using platform::EditWindow;
using platform::Rect;

namespace {

// Setting cache slots.
enum { fontSlot, backgroundSlot, unfocusedSlot, textBoxSlot };

} // namespace

TextInputControl::TextInputControl(platform::WindowHandle window, std::u16string name)
    : TextInputControl(window, u"textcontrol", std::move(name)) {}

TextInputControl::TextInputControl(platform::WindowHandle window, std::u16string typeName,
                                   std::u16string name)
    : LightControl(window, std::move(typeName), std::move(name)) {
    nativeEdit_ = EditWindow::create(EditWindow::capEditClassName, window, {0, 0, 50, 50}, false);
    if (!nativeEdit_) {
        platform::messageBox(window, u"Could not create edit box.", u"Error");
        platform::postQuitMessage(1);
        return;
    }
    platform::setWindowUserData(nativeEdit_, reinterpret_cast<uintptr_t>(this));
    applyFont();
}

TextInputControl::~TextInputControl() {
    if (!nativeEdit_)
        return;
    // Closed first, while the control is whole: the focus goes back to the window the
    // usual way, so the input panel hides with it.
    showNative(false);
    platform::setWindowUserData(nativeEdit_, 0);
    platform::destroyWindow(nativeEdit_);
}

TextInputControl* TextInputControl::owning(platform::WindowHandle edit) {
    if (!EditWindow::from(edit))
        return nullptr;
    return reinterpret_cast<TextInputControl*>(platform::windowUserData(edit));
}

bool TextInputControl::handleEditMessage(uint32_t id, uintptr_t wParam, intptr_t lParam,
                                         intptr_t& result) {
    const auto edit = static_cast<platform::WindowHandle>(lParam);
    if (id == platform::msg::ctlColorEdit) {
        TextInputControl* control = owning(edit);
        if (control)
            control->answerColours(*reinterpret_cast<platform::EditColours*>(wParam));
        result = control ? 1 : 0;
        return true;
    }
    if (id != platform::msg::command || !EditWindow::from(edit))
        return false;
    const uint32_t code = static_cast<uint32_t>(wParam >> 16);
    if (code == platform::editNotify::setFocus || code == platform::editNotify::killFocus)
        if (TextInputControl* control = owning(edit))
            control->onEditFocus(code == platform::editNotify::setFocus);
    result = 0;
    return true;
}

// ---- the text ----------------------------------------------------------------------------

std::u16string TextInputControl::text() const {
    if (nativeShown_)
        if (const EditWindow* edit = EditWindow::from(nativeEdit_))
            return edit->text();
    return text_;
}

void TextInputControl::setText(std::u16string text) {
    if (EditWindow* edit = EditWindow::from(nativeEdit_)) {
        edit->setText(text);
        // The edit may have cut it (length, line breaks): keep what it holds.
        text_ = edit->text();
    } else {
        text_ = std::move(text);
    }
    invalidate(rect());
}

bool TextInputControl::modified() const {
    const EditWindow* edit = EditWindow::from(nativeEdit_);
    return edit && edit->modified();
}

void TextInputControl::showNative(bool show) {
    EditWindow* edit = EditWindow::from(nativeEdit_);
    if (!edit)
        return;
    if (!show && nativeShown_)
        text_ = edit->text();
    if (show == nativeShown_)
        return;
    nativeShown_ = show;
    if (show) {
        applyFont();
        platform::moveWindow(nativeEdit_, textBox(), false);
        platform::showWindow(nativeEdit_, platform::Show::normal);
    } else {
        // Hiding hands the focus back to the window, whose answer comes here again and
        // finds the edit already hidden.
        platform::showWindow(nativeEdit_, platform::Show::hide);
    }
    invalidate(rect());
}

void TextInputControl::onEditFocus(bool gained) {
    if (!gained)
        showNative(false);
}

void TextInputControl::applyFont() {
    if (EditWindow* edit = EditWindow::from(nativeEdit_)) {
        const Font& font = getFont(u"font", fontSlot);
        // A "none" font keeps the edit's own face.
        if (!font.isNone())
            edit->setFont(font.face());
    }
}

Rect TextInputControl::textBox() {
    return getBox(u"text.box", textBoxSlot).rectangle(rect());
}

void TextInputControl::answerColours(platform::EditColours& colours) {
    const Font& font = getFont(u"font", fontSlot);
    if (font.colour() != noColour)
        colours.text = font.colour();
    const Rect box = textBox();
    if (brush_.isEmpty() || box != brushBox_) {
        brushBox_ = box;
        brush_ = platform::Surface(box.width(), box.height());
        // The background as it lies under the box: drawn for the whole control, moved so
        // the box's corner is the brush's origin.
        PaintContext context{brush_, brush_.width(), brush_.height(), 0};
        drawBackground(context, getBackground(u"background", backgroundSlot),
                       rect().offsetBy(-box.left, -box.top), brush_.bounds());
    }
    colours.brush = &brush_;
}

// ---- the control -------------------------------------------------------------------------

void TextInputControl::layout(const Rect& reference) {
    LightControl::layout(reference);
    placeAt(rect());
}

void TextInputControl::placeAt(const Rect& at) {
    setRect(at);
    brush_ = {};
    // The window shrinks and grows with the input panel: an open edit follows its box.
    // Rows of a list are placed again at every paint, and moving the edit repaints, so
    // only a real move touches it.
    if (nativeShown_) {
        const Rect box = textBox();
        if (platform::windowRect(nativeEdit_) != box)
            platform::moveWindow(nativeEdit_, box, false);
    }
}

void TextInputControl::beginScreenChange() {
    showNative(false);
}

void TextInputControl::reloadSettings() {
    // A rotation or a new theme: the text goes back into the control before the edit's
    // place and look are read again.
    showNative(false);
    brush_ = {};
    LightControl::reloadSettings();
    applyFont();
}

int TextInputControl::paint(PaintContext& context, Rect clip) {
    if (rect().intersected(clip).isEmpty())
        return 0;
    drawBackground(context,
                   nativeShown_ ? getBackground(u"background", backgroundSlot)
                                : getBackground(u"unfocused.background", unfocusedSlot),
                   rect(), clip);
    getFont(u"font", fontSlot)
        .drawText(context.surface, text(), textBox(), platform::TextFormat::WordBreak, clip);
    return 1;
}

Rect TextInputControl::onStylusDown(int x, int y) {
    if (!isVisible() || !rect().contains({x, y}) || !nativeEdit_)
        return {};
    showNative(true);
    platform::setFocus(nativeEdit_);
    return rect();
}

void TextInputControl::describe(DumpWriter& out) const {
    LightControl::describe(out);
    out.add("text", std::u16string_view(text()));
    out.add("native", nativeShown_);
    out.add("modified", modified());
    if (const EditWindow* edit = EditWindow::from(nativeEdit_)) {
        out.add("focused", platform::focusWindow() == nativeEdit_);
        out.add("caret", static_cast<int>(edit->caret()));
        out.add("anchor", static_cast<int>(edit->anchor()));
        out.add("selection", std::u16string_view(edit->selectedText()));
        out.add("composition", std::u16string_view(edit->composition()));
    }
}

PropertyTextInputControl::PropertyTextInputControl(platform::WindowHandle window,
                                                   std::u16string name)
    : TextInputControl(window, u"propertytextcontrol", std::move(name)) {}

} // namespace vantrel
