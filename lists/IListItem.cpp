#include "lists/IListItem.h"

#include "lists/SmartListControl.h"

namespace vantrel {

bool IListItem::matches(std::u16string_view) const {
    return false;
}

void IListItem::updateHeight(SmartListControl& list) {
    if (!list_)
        list_ = &list;
    height_ = list.getInt(u"item.height", SmartListControl::itemHeightSlot);
}

void IListItem::onClick(SmartListControl&, int, int) {}

void IListItem::describe(DumpWriter&) const {}

} // namespace vantrel
