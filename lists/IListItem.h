#pragma once
// The rows of a smart list. An item draws itself, knows its height, answers letter jumps
// and searches, and reacts to a tap. Items are reference counted because one item can
// be shown by several lists at once (the main contact list and the add-contact picker
// share theirs) and because the contact loader builds them before any list holds them.
//
// Who holds the references: every entry of a list's item vector is one counted
// reference (an ItemRef), whichever function put it there (appendItem, addItem or
// insertItem all take an ItemRef). A caller that creates an item with makeItem and hands
// it to a list gives its reference away; a caller that wants to keep the item after the
// list lets it go keeps its own ItemRef. An item is deleted when the last ItemRef to it
// goes, never by a list directly.

#include "platform/core/Geometry.h"
#include "ui/PaintContext.h"

#include <atomic>
#include <string>
#include <utility>

namespace vantrel {

class DumpWriter;
class SmartListControl;

class IListItem {
public:
    IListItem() = default;
    IListItem(const IListItem&) = delete;
    IListItem& operator=(const IListItem&) = delete;

    // Passed on by the list's reloadSettings; nothing by default.
    virtual void reloadSettings() {}
    virtual ~IListItem() = default;
    // Draws the row into `rect`, touching only pixels inside `clip`; `highlighted` is
    // true for the list's cursor item.
    virtual int paint(PaintContext& context, const platform::Rect& rect, const platform::Rect& clip,
                      bool highlighted) = 0;
    // A text test for searching; false by default.
    virtual bool matches(std::u16string_view text) const;
    // Called when the item is put into a list: remembers the first list and takes that
    // list's "item.height".
    virtual void updateHeight(SmartListControl& list);
    // The item was tapped at (x, y) relative to the list's top-left corner, or
    // activated by the action key (x = y = -1).
    virtual void onClick(SmartListControl& list, int x, int y);
    // The first character for letter jumps and separators; a space by default.
    virtual char16_t indexLetter() const { return u' '; }
    // Adds what the row shows to the control dump (its text, its counters).
    virtual void describe(DumpWriter& out) const;

    int height() const { return height_; }
    void setHeight(int height) { height_ = height; }
    bool isSelected() const { return selected_; }
    void setSelected(bool selected) { selected_ = selected; }
    // The list whose settings the item reads, or null before the first height update.
    SmartListControl* list() const { return list_; }
    // How many references exist (lists and other holders).
    int refCount() const { return refCount_.load(std::memory_order_relaxed); }

protected:
    void setList(SmartListControl* list) { list_ = list; }

private:
    friend class ItemRef;

    // The count may change on the contact loader's thread while it builds items.
    std::atomic<int> refCount_{0};
    bool selected_ = false;
    SmartListControl* list_ = nullptr;
    int height_ = 0;
};

// One counted reference to an item; the item is deleted when the last one goes.
class ItemRef {
public:
    ItemRef() = default;
    // Takes a new reference to `item` (which may be null).
    explicit ItemRef(IListItem* item) : item_(item) { retain(); }
    ItemRef(const ItemRef& other) : item_(other.item_) { retain(); }
    ItemRef(ItemRef&& other) noexcept : item_(std::exchange(other.item_, nullptr)) {}
    ItemRef& operator=(ItemRef other) noexcept {
        std::swap(item_, other.item_);
        return *this;
    }
    ~ItemRef() { reset(); }

    void reset() {
        if (item_ && item_->refCount_.fetch_sub(1, std::memory_order_acq_rel) == 1)
            delete item_;
        item_ = nullptr;
    }
    IListItem* get() const { return item_; }
    IListItem* operator->() const { return item_; }
    IListItem& operator*() const { return *item_; }
    explicit operator bool() const { return item_ != nullptr; }
    friend bool operator==(const ItemRef& a, const ItemRef& b) { return a.item_ == b.item_; }

private:
    void retain() {
        if (item_)
            item_->refCount_.fetch_add(1, std::memory_order_relaxed);
    }

    IListItem* item_ = nullptr;
};

// Creates an item and returns the first reference to it.
template <class T, class... Args> ItemRef makeItem(Args&&... args) {
    return ItemRef(new T(std::forward<Args>(args)...));
}

} // namespace vantrel
