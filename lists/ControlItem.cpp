#include "lists/ControlItem.h"

#include "lists/SmartListControl.h"
#include "ui/ControlDump.h"

namespace vantrel {

using platform::Rect;

int ControlItem::paint(PaintContext& context, const Rect& rect, const Rect& clip, bool) {
    control_->layout(rect);
    return control_->paint(context, clip);
}

void ControlItem::updateHeight(SmartListControl& list) {
    if (!this->list())
        setList(&list);
    control_->layout(list.rect());
    setHeight(control_->getInt(u"item.height", LightControl::noCache));
}

void ControlItem::onClick(SmartListControl& list, int x, int y) {
    if (x < 0 || y < 0) {
        // The action key: tap the middle of the control as it is drawn now.
        Rect at = control_->rect();
        x = (at.left + at.right) / 2 - list.rect().left;
        y = (at.top + at.bottom) / 2 - list.rect().top;
    }
    int ax = list.rect().left + x;
    int ay = list.rect().top + y;
    list.invalidate(control_->onStylusDown(ax, ay));
    platform::updateWindow(list.window());
    list.invalidate(control_->onStylusUp(ax, ay));
    list.invalidate(control_->onStylusRelease(ax, ay));
}

void ControlItem::describe(DumpWriter& out) const {
    out.addControl("control", *control_);
}

} // namespace vantrel
