#include "ui/CheckButton.h"

#include "platform/text/TextDrawing.h"
#include "settings/SettingStore.h"
#include "ui/ControlDump.h"

namespace vantrel {

using platform::Rect;

namespace {

// Setting slots; the button's own look uses background and font slots 0 and 1.
enum BoxSlot { checkBox, checkBoxPressed, textBox, textBoxPressed };
enum BackgroundSlot { checkLook = 2, checkLookPressed, checkedLook, checkedLookPressed };
enum FontSlot { normalFont, pressedFont };

} // namespace

CheckButton::CheckButton(platform::WindowHandle window, std::u16string name)
    : Button(window, u"checkbutton", std::move(name)) {}

void CheckButton::drawFace(PaintContext& context, const Rect& clip) {
    bool pressed = isPressed();
    drawBackground(context, stateBackground(), rect(), clip);

    Rect square = pressed ? getBox(u"check.box.pressed", checkBoxPressed).rectangle(rect())
                          : getBox(u"check.box", checkBox).rectangle(rect());
    const Background& mark =
        checked_ ? (pressed ? getBackground(u"check.background.checked.pressed", checkedLookPressed)
                            : getBackground(u"check.background.checked", checkedLook))
                 : (pressed ? getBackground(u"check.background.pressed", checkLookPressed)
                            : getBackground(u"check.background", checkLook));
    drawBackground(context, mark, square, clip);

    Rect caption = pressed ? getBox(u"text.box.pressed", textBoxPressed).rectangle(rect())
                           : getBox(u"text.box", textBox).rectangle(rect());
    const Font& font =
        pressed ? getFont(u"font.pressed", pressedFont) : getFont(u"font", normalFont);
    font.drawText(context.surface, text(), caption,
                  platform::TextFormat::VerticalCentre | platform::TextFormat::WordBreak |
                      platform::TextFormat::NoPrefix,
                  clip);
}

void CheckButton::onClick() {
    checked_ = !checked_;
    Button::onClick();
}

void CheckButton::setChecked(bool checked) {
    if (checked == checked_)
        return;
    checked_ = checked;
    invalidate(rect());
}

void CheckButton::describe(DumpWriter& out) const {
    Button::describe(out);
    out.add("checked", checked_);
}

} // namespace vantrel
