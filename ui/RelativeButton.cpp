#include "ui/RelativeButton.h"

namespace vantrel {

using platform::Rect;

RelativeButton::RelativeButton(platform::WindowHandle window, std::u16string name,
                               const LightControl* reference, const Rect& relative)
    : Button(window, u"menubutton", std::move(name)), reference_(reference), relative_(relative) {
    follow();
}

void RelativeButton::follow() {
    const Rect& origin = reference_->rect();
    setRect(relative_.offsetBy(origin.left, origin.top));
}

void RelativeButton::setRelativeRect(const Rect& relative) {
    relative_ = relative;
    follow();
}

void RelativeButton::layout(const Rect&) {
    follow();
    updateText();
}

int RelativeButton::paint(PaintContext& context, Rect clip) {
    follow();
    return Button::paint(context, clip);
}

Rect RelativeButton::onStylusDown(int x, int y) {
    follow();
    return Button::onStylusDown(x, y);
}

Rect RelativeButton::onStylusMove(int x, int y) {
    follow();
    return Button::onStylusMove(x, y);
}

Rect RelativeButton::onStylusUp(int x, int y) {
    follow();
    return Button::onStylusUp(x, y);
}

Rect RelativeButton::onStylusRelease(int x, int y) {
    follow();
    return Button::onStylusRelease(x, y);
}

} // namespace vantrel
