#pragma once
// The program's one scrolling list: contacts, favourites, filter choices, conversation
// bubbles, option rows and the button column. It shows the items its filter accepts,
// follows the finger, keeps sliding after a flick with friction, springs back when pulled
// past either end, draws a thin scroll bar, turns a tap into an item click and a held
// finger into a long press, and pages or jumps to a letter from keys. Its type name for
// settings is "list"; subclasses pass their own.
//
// The scroll position `offset` is the content y shown at the list's top edge. It changes
// only through setScrollOffset, which keeps it within 30 pixels (plus the margins) of
// either end and starts the spring-back when it lies beyond one.
//
// Index: items (append, insert, remove, filter), scrolling, the item hooks, the control
// functions, setting slots.

#include "lists/IListItem.h"
#include "lists/ISmartListFilter.h"
#include "ui/Action.h"
#include "ui/LightControl.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace vantrel {

class Label;

class SmartListControl : public LightControl {
public:
    // The offset value that means "scroll to the end".
    static constexpr int endOffset = 0xFFFFFF;
    // How far the content may be pulled past either end, in pixels.
    static constexpr int overscroll = 30;
    // The spring-back moves this many pixels every bounceMs.
    static constexpr int bounceStep = 5;
    static constexpr uint32_t bounceMs = 25;
    // A stroke within this many pixels of the press (and less than tapMoved in total
    // movement) is a tap.
    static constexpr int tapTolerance = 6;
    static constexpr int tapMoved = 19;
    // Speed is sampled over moves closer together than this; an older last move is a
    // stale flick and does not slide.
    static constexpr uint32_t speedWindowMs = 200;
    static constexpr int flingSpeed = 7;
    static constexpr int stopSpeed = 4;
    static constexpr uint32_t longPressMs = 500;
    static constexpr int longPressMoved = 20;
    static constexpr int letterJumpMs = 750;
    // A scroll to an item closer than this is done at once.
    static constexpr int immediateDistance = 100;
    // The letter key the index strip sends.
    static constexpr int letterKey = -2;

    SmartListControl(platform::WindowHandle window, std::u16string name,
                     std::u16string typeName = u"list");
    // Releases the list's references to its items.
    ~SmartListControl() override;

    // ---- items ----

    // Shows every item; the filter is deleted.
    virtual void showAllItems();
    // Replaces the filter (null shows every item) and rebuilds the shown items; a new
    // filter starts at the top.
    virtual void setFilter(std::unique_ptr<ISmartListFilter> filter);
    // Runs the current filter again over every item (matching, limit, arrangement and
    // label), keeping the view where it is as far as the new content allows: after a
    // loader added items, or when the filter's own criteria changed.
    void reapplyFilter();
    // Appends an item, measuring it for this list; shown when the filter accepts it.
    virtual void appendItem(ItemRef item);
    // Inserts at the top; a bottom-anchored list moves its offset by the item's height
    // so the view does not jump.
    virtual void addItem(ItemRef item);
    // Inserts at `index` (negative means 0; beyond the end appends).
    virtual void insertItem(int index, ItemRef item);
    // Lets go of every item (an item that a caller still holds a reference to lives
    // on); the cursor goes and the view returns to the top.
    void removeAllItems();
    // The sum of the shown items' heights, cached until the items change.
    virtual int contentHeight();
    // Forgets the cached content height; after an item changed its height.
    void resetContentHeight() { contentHeightCache_ = -1; }

    const std::vector<IListItem*>& shownItems() const { return shownItems_; }
    const std::vector<ItemRef>& allItems() const { return allItems_; }
    ISmartListFilter* filter() const { return filter_.get(); }
    // The shown item under a y relative to the list's top edge, or null.
    IListItem* hitTest(int relativeY);
    // The index of a shown item, or -1.
    int shownIndexOf(const IListItem* item) const;
    // The item's rectangle in window coordinates as it is drawn now (it may lie outside
    // the list's rectangle); empty when the item is not shown.
    platform::Rect itemRect(const IListItem* item);

    // ---- scrolling ----

    // The only way the offset changes; endOffset scrolls to the end.
    void setScrollOffset(int value);
    int scrollOffset() const { return offset_; }
    // Centres the item in the view: at once when near, when invisible or when asked,
    // otherwise animated over "scroll.duration".
    void scrollToItem(int index, bool immediately);
    void scrollToTop();
    // Animates the offset toward `target` (kept within the resting range) for at most
    // `longestMs`, one millisecond per pixel of distance.
    void animateTo(int target, int longestMs);
    bool isSliding() const { return sliding_; }
    int speed() const { return speed_; }

    int cursorIndex() const { return cursorIndex_; }
    void setCursorIndex(int index) { cursorIndex_ = index; }
    void setKeyboardCursorMode(bool on) { keyboardCursorMode_ = on; }
    void setBottomAnchored(bool on) { bottomAnchored_ = on; }
    bool isBottomAnchored() const { return bottomAnchored_; }
    int marginTop() const { return marginTop_; }
    int marginBottom() const { return marginBottom_; }
    // The offset of the last position: the content's end at the list's bottom edge.
    int endPosition();

    // ---- actions (the list owns them) ----

    void setEmptyTapAction(std::unique_ptr<Action> action) { emptyTapAction_ = std::move(action); }
    void setClickAction(std::unique_ptr<ItemAction> action) { clickAction_ = std::move(action); }
    void setLongPressAction(std::unique_ptr<ItemAction> action) {
        longPressAction_ = std::move(action);
    }
    // Run after every change of the offset.
    void setScrollListener(std::unique_ptr<Action> action) { scrollListener_ = std::move(action); }
    Action* scrollListener() const { return scrollListener_.get(); }
    // The label that shows the filter's description (borrowed).
    void setTitleLabel(Label* label) { titleLabel_ = label; }
    // A tap while an edit field has the focus normally only takes the focus back; with
    // this flag the click runs first and the focus moves afterwards.
    void setClickKeepsFocus(bool on) { clickKeepsFocus_ = on; }

    // ---- item hooks ----

    virtual void onItemHighlighted(IListItem* item);
    // Remembers the item and point and starts the long-press timer.
    virtual void beginLongPress(IListItem* item, int x, int y);
    // Runs the long-press action.
    virtual void onLongPress(IListItem* item, int x, int y);
    // The focus rule, then the click action, then the item's own onClick.
    virtual void onItemClick(IListItem* item, int x, int y);
    virtual void onItemsChanged();
    // Whether a row is where a jump to `letter` stops: its index letter at or after the
    // letter in code-unit order. Lists sorted another way answer in their own order.
    virtual bool reachesLetter(const IListItem& item, char16_t letter) const;

    // ---- the control functions ----

    // Reads the margins and scroll tuning; the title label shows the filter's label.
    void layout(const platform::Rect& reference) override;
    void beginScreenChange() override;
    void endScreenChange() override;
    int paint(PaintContext& context, platform::Rect clip) override;
    platform::Rect onStylusDown(int x, int y) override;
    platform::Rect onStylusMove(int x, int y) override;
    platform::Rect onStylusUp(int x, int y) override;
    platform::Rect onStylusRelease(int x, int y) override;
    platform::Rect onKey(int virtualKey, char16_t character) override;
    void reloadSettings() override;
    // The slide, long-press and bounce timers.
    bool onTimer(uintptr_t id) override;
    // Adds the offset, the cursor and every shown item.
    void describe(DumpWriter& out) const override;

    // ---- setting slots ----
    // The list and its items read these through the list's caches. Subclasses and their
    // items use the slots from `firstFreeSlot` on.
    enum BackgroundSlot {
        backgroundSlot,
        itemBackgroundSlot, // + 1 highlighted, + 2 selected, + 3 both
        scrollbarBackgroundSlot = itemBackgroundSlot + 4,
        scrollerBackgroundSlot,
        separatorBackgroundSlot,
    };
    enum FontSlot { noItemFontSlot, itemFontSlot, separatorFontSlot };
    enum BoxSlot { scrollbarBoxSlot, scrollerBoxSlot, itemTextBoxSlot, separatorTextBoxSlot };
    enum IntSlot {
        itemHeightSlot,
        separatorHeightSlot,
        slidingDelaySlot,
        bigPageSizeSlot,
        scrollDurationSlot
    };
    static constexpr int firstFreeSlot = 8;

protected:
    // The vectors themselves, for subclasses that reorder them (a conversation sorts
    // its items by time in onItemsChanged).
    std::vector<IListItem*>& shownItemsRef() { return shownItems_; }
    std::vector<ItemRef>& allItemsRef() { return allItems_; }
    uintptr_t slideTimerId() const { return timerId(); }
    uintptr_t longPressTimerId() const { return timerId() + 1; }
    uintptr_t bounceTimerId() const { return timerId() + 2; }

private:
    bool accepts(const IListItem& item) const { return !filter_ || filter_->match(item); }
    // The content's shift inside the list: H - C for a short bottom-anchored list.
    int contentShift();
    // The list's y (relative to its top edge) turned into content y.
    int contentY(int relativeY) { return relativeY + offset_ - contentShift(); }
    void stopSliding();
    void onSlideTimer();
    void onBounceTimer();
    platform::Rect letterJump(char16_t letter);
    platform::Rect cursorKey(int virtualKey);
    // Drops the key messages still queued for the window, so auto-repeat does not pile
    // up behind a slow cursor move.
    void dropQueuedKeys();

    std::vector<IListItem*> shownItems_;
    std::vector<ItemRef> allItems_;
    std::unique_ptr<ISmartListFilter> filter_;
    int contentHeightCache_ = -1;
    int offset_ = 0;
    int marginTop_ = 0;
    int marginBottom_ = 0;
    float friction_ = 1.01f;
    bool bottomAnchored_ = false;

    // The stylus state machine.
    bool stylusIsDown_ = false;
    int downY_ = 0;
    int lastY_ = 0;
    int lastX_ = 0;
    int lastYAbs_ = 0;
    int moved_ = 0;
    int speed_ = 0;
    int speedAccumulator_ = 0;
    uint32_t lastMoveTick_ = 0;
    bool sliding_ = false;
    bool wasSlidingAtDown_ = false;
    IListItem* pressedItem_ = nullptr;
    IListItem* longPressItem_ = nullptr;
    int longPressX_ = 0;
    int longPressY_ = 0;
    platform::WindowHandle focusAtDown_ = 0;

    int cursorIndex_ = -1;
    bool keyboardCursorMode_ = true;
    bool clickKeepsFocus_ = false;

    std::unique_ptr<Action> emptyTapAction_;
    std::unique_ptr<ItemAction> clickAction_;
    std::unique_ptr<ItemAction> longPressAction_;
    std::unique_ptr<Action> scrollListener_;
    Label* titleLabel_ = nullptr;
};

} // namespace vantrel
