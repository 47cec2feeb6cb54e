#include "ui/Label.h"

#include "platform/text/TextDrawing.h"
#include "settings/SettingStore.h"
#include "ui/ControlDump.h"

namespace vantrel {

using platform::Rect;

Label::Label(platform::WindowHandle window, std::u16string name)
    : Label(window, u"label", std::move(name)) {}

Label::Label(platform::WindowHandle window, std::u16string typeName, std::u16string name)
    : LightControl(window, std::move(typeName), std::move(name)) {}

void Label::layout(const Rect& reference) {
    LightControl::layout(reference);
    text_ = getText(u"text");
}

int Label::paint(PaintContext& context, Rect clip) {
    if (rect().intersected(clip).isEmpty())
        return 0;
    drawBackground(context, getBackground(u"background", 0), rect(), clip);
    Rect textBox = getBox(u"text.box", 0).rectangle(rect());
    getFont(u"font", 0)
        .drawText(context.surface, text_, textBox, platform::TextFormat::WordBreak, clip);
    return 1;
}

void Label::describe(DumpWriter& out) const {
    LightControl::describe(out);
    out.add("texts", DumpValue(DumpValue::Array{text_}));
}

void Label::setText(std::u16string text) {
    if (text == text_)
        return;
    text_ = std::move(text);
    invalidate(rect());
}

SeparatorLabel::SeparatorLabel(platform::WindowHandle window, std::u16string name)
    : Label(window, u"separatorlabel", std::move(name)) {}

} // namespace vantrel
