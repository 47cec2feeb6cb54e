#include "ui/Button.h"

#include "platform/text/TextDrawing.h"
#include "settings/SettingStore.h"
#include "settings/TextFormatter.h"
#include "ui/ControlDump.h"

namespace vantrel {

using platform::Rect;

namespace {

// Setting slots of a button's look.
enum BackgroundSlot { normalLook, pressedLook };
enum FontSlot { normalFont, pressedFont };
constexpr int longPressDelaySlot = 0;

constexpr unsigned captionFormat = platform::TextFormat::Centre |
                                   platform::TextFormat::VerticalCentre |
                                   platform::TextFormat::WordBreak | platform::TextFormat::NoPrefix;

} // namespace

Button::Button(platform::WindowHandle window, std::u16string name)
    : Button(window, u"button", std::move(name)) {}

Button::Button(platform::WindowHandle window, std::u16string typeName, std::u16string name)
    : LightControl(window, std::move(typeName), std::move(name)) {}

Button::~Button() {
    platform::killTimer(window(), timerId());
}

void Button::layout(const Rect& reference) {
    LightControl::layout(reference);
    updateText();
}

void Button::updateText() {
    std::u16string caption = getText(u"text");
    text_ = textArgument_.empty() ? std::move(caption) : formatText(caption, {textArgument_});
}

void Button::setTextArgument(std::u16string argument) {
    if (argument == textArgument_)
        return;
    textArgument_ = std::move(argument);
    updateText();
    invalidate(rect());
}

void Button::setText(std::u16string text) {
    if (text == text_)
        return;
    text_ = std::move(text);
    invalidate(rect());
}

const Background& Button::stateBackground() {
    if (pressed_ && hasSetting(u"background.pressed"))
        return getBackground(u"background.pressed", pressedLook);
    return getBackground(u"background", normalLook);
}

int Button::paint(PaintContext& context, Rect clip) {
    if (rect().intersected(clip).isEmpty())
        return 0;
    drawFace(context, clip);
    return 1;
}

void Button::drawFace(PaintContext& context, const Rect& clip) {
    drawBackground(context, stateBackground(), rect(), clip);
    const Font& font =
        pressed_ ? getFont(u"font.pressed", pressedFont) : getFont(u"font", normalFont);
    font.drawText(context.surface, text_, rect(), captionFormat, clip);
}

void Button::paintAt(PaintContext& context, const Rect& at, const Rect& clip, bool forcePressed) {
    Rect saved = rect();
    bool wasPressed = pressed_;
    setRect(at);
    pressed_ = pressed_ || forcePressed;
    if (!at.intersected(clip).isEmpty())
        drawFace(context, clip);
    pressed_ = wasPressed;
    setRect(saved);
}

Rect Button::onStylusDown(int x, int y) {
    longPressFired_ = false;
    pressed_ = tracking_ = rect().contains({x, y});
    if (!pressed_)
        return {};
    platform::setTimer(
        window(), timerId(),
        static_cast<uint32_t>(std::max(getInt(u"longpress.delay", longPressDelaySlot), 1)));
    return rect();
}

Rect Button::onStylusMove(int x, int y) {
    bool inside = rect().contains({x, y});
    if (inside == pressed_ || (inside && !tracking_))
        return {};
    pressed_ = inside;
    return rect();
}

Rect Button::onStylusUp(int x, int y) {
    if (!pressed_)
        return {};
    // The state is settled before the click: its action may close the screen that
    // holds this button.
    pressed_ = tracking_ = false;
    Rect dirty = rect();
    if (dirty.contains({x, y}) && !longPressFired_) {
        longPressFired_ = true;
        onClick();
    }
    return dirty;
}

Rect Button::onStylusRelease(int, int) {
    platform::killTimer(window(), timerId());
    tracking_ = false;
    if (!pressed_)
        return {};
    pressed_ = false;
    return rect();
}

bool Button::onTimer(uintptr_t id) {
    if (id != timerId())
        return false;
    platform::killTimer(window(), id);
    if (pressed_ && isVisible() && longPressAction_ && !longPressFired_) {
        longPressFired_ = true;
        pressed_ = false;
        invalidate(rect());
        longPressAction_->execute();
    }
    return true;
}

void Button::onClick() {
    if (action_)
        action_->execute();
}

void Button::describe(DumpWriter& out) const {
    LightControl::describe(out);
    out.add("texts", DumpValue(DumpValue::Array{text_}));
    out.add("pressed", pressed_);
}

IconButton::IconButton(platform::WindowHandle window, std::u16string name)
    : Button(window, u"iconbutton", std::move(name)) {}

HeaderButton::HeaderButton(platform::WindowHandle window, std::u16string name)
    : Button(window, u"headerbutton", std::move(name)) {}

} // namespace vantrel
