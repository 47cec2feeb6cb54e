#include "lists/ButtonSmartListControl.h"

#include "lists/ControlItem.h"
#include "platform/core/Debug.h"
#include "ui/Button.h"

namespace vantrel {

using platform::Rect;

ButtonSmartListControl::ButtonSmartListControl(platform::WindowHandle window, std::u16string name)
    : SmartListControl(window, std::move(name), u"buttons_list") {
    setBottomAnchored(true);
}

Button& ButtonSmartListControl::buttonOf(IListItem* item) {
    auto* hosted = dynamic_cast<ControlItem*>(item);
    Button* button = hosted ? dynamic_cast<Button*>(&hosted->control()) : nullptr;
    VT_DEBUGCHK("ButtonSmartListControl", button != nullptr);
    return *button;
}

void ButtonSmartListControl::appendItem(ItemRef item) {
    buttonOf(item.get());
    SmartListControl::appendItem(std::move(item));
}

void ButtonSmartListControl::addItem(ItemRef item) {
    buttonOf(item.get());
    SmartListControl::addItem(std::move(item));
}

void ButtonSmartListControl::insertItem(int index, ItemRef item) {
    buttonOf(item.get());
    SmartListControl::insertItem(index, std::move(item));
}

void ButtonSmartListControl::beginLongPress(IListItem* item, int x, int y) {
    invalidate(buttonOf(item).onStylusDown(rect().left + x, rect().top + y));
}

void ButtonSmartListControl::onItemClick(IListItem* item, int x, int y) {
    invalidate(buttonOf(item).onStylusUp(rect().left + x, rect().top + y));
}

Rect ButtonSmartListControl::onStylusUp(int x, int y) {
    Rect dirty = SmartListControl::onStylusUp(x, y);
    for (const ItemRef& item : allItems())
        dirty = dirty.united(buttonOf(item.get()).onStylusRelease(x, y));
    return dirty;
}

bool ButtonSmartListControl::onTimer(uintptr_t id) {
    if (SmartListControl::onTimer(id))
        return true;
    for (const ItemRef& item : allItems())
        if (buttonOf(item.get()).onTimer(id))
            return true;
    return false;
}

} // namespace vantrel
