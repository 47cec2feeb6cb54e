#include "lists/BaseItem.h"

#include "lists/SmartListControl.h"
#include "platform/text/TextDrawing.h"
#include "settings/SettingStore.h"
#include "ui/ControlDump.h"

namespace vantrel {

using platform::Rect;

namespace {

// A row's text: one line, centred vertically in its box.
constexpr unsigned rowTextFormat = platform::TextFormat::VerticalCentre |
                                   platform::TextFormat::SingleLine |
                                   platform::TextFormat::NoPrefix;

} // namespace

int BaseItem::paint(PaintContext& context, const Rect& rect, const Rect& clip, bool highlighted) {
    static constexpr std::u16string_view keys[] = {
        u"item.background", u"item.background.highlighted", u"item.background.selected",
        u"item.background.highlighted.selected"};
    SmartListControl* owner = list();
    if (!owner)
        return 0;
    int which = (highlighted ? 1 : 0) + (isSelected() ? 2 : 0);
    drawBackground(context,
                   owner->getBackground(keys[which], SmartListControl::itemBackgroundSlot + which),
                   rect, clip);
    return 1;
}

void BaseItem::describe(DumpWriter& out) const {
    out.add("text", std::u16string_view(text_));
    if (isSelected())
        out.add("selected", true);
}

int SimpleItem::paint(PaintContext& context, const Rect& rect, const Rect& clip, bool highlighted) {
    if (!BaseItem::paint(context, rect, clip, highlighted))
        return 0;
    SmartListControl& owner = *list();
    Rect box = owner.getBox(u"item.text.box", SmartListControl::itemTextBoxSlot).rectangle(rect);
    owner.getFont(u"item.font", SmartListControl::itemFontSlot)
        .drawText(context.surface, text(), box, rowTextFormat, clip);
    return 1;
}

void SeparatorItem::updateHeight(SmartListControl& list) {
    if (!this->list())
        setList(&list);
    setHeight(list.getInt(u"separator.item.height", SmartListControl::separatorHeightSlot));
}

int SeparatorItem::paint(PaintContext& context, const Rect& rect, const Rect& clip, bool) {
    SmartListControl* owner = list();
    if (!owner)
        return 0;
    drawBackground(context,
                   owner->getBackground(u"separator.item.background",
                                        SmartListControl::separatorBackgroundSlot),
                   rect, clip);
    Rect box = owner->getBox(u"separator.item.text.box", SmartListControl::separatorTextBoxSlot)
                   .rectangle(rect);
    owner->getFont(u"separator.item.font", SmartListControl::separatorFontSlot)
        .drawText(context.surface, text(), box, rowTextFormat, clip);
    return 1;
}

void SeparatorItem::describe(DumpWriter& out) const {
    BaseItem::describe(out);
    out.add("separator", true);
}

} // namespace vantrel
