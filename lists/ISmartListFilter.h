#pragma once
// Decides which of a smart list's items are shown. The list owns exactly one filter at a
// time and runs it over all its items whenever it is set or reapplied. An item added
// later is only matched on its own, without the limit or the arrangement, so whoever
// adds many (a loader) reapplies the filter when done.

#include <string>
#include <vector>

namespace vantrel {

class IListItem;
class SmartListControl;

class ISmartListFilter {
public:
    virtual ~ISmartListFilter() = default;
    // True when the item is to be shown.
    virtual bool match(const IListItem& item) const = 0;
    // The text of the list's filter label.
    virtual std::u16string label() const = 0;
    // May reorder the shown items after filtering.
    virtual void arrange(SmartListControl& list, std::vector<IListItem*>& shown) {
        (void)list;
        (void)shown;
    }
    // Filling stops as soon as more items than this are shown.
    virtual int itemLimit() const { return 99999999; }
};

} // namespace vantrel
