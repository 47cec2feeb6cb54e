#include "lists/SmartListControl.h"

#include "lists/Animation.h"
#include "lists/ControlItem.h"
#include "platform/core/Backend.h"
#include "platform/core/Clock.h"
#include "platform/text/TextDrawing.h"
#include "settings/SettingStore.h"
#include "ui/ControlDump.h"
#include "ui/Label.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace vantrel {

using platform::Rect;

namespace {

bool isArrowKey(int key) {
    return key == int(platform::key::up) || key == int(platform::key::down) ||
           key == int(platform::key::left) || key == int(platform::key::right);
}

} // namespace

SmartListControl::SmartListControl(platform::WindowHandle window, std::u16string name,
                                   std::u16string typeName)
    : LightControl(window, std::move(typeName), std::move(name)) {}

SmartListControl::~SmartListControl() {
    platform::killTimer(window(), slideTimerId());
    platform::killTimer(window(), longPressTimerId());
    platform::killTimer(window(), bounceTimerId());
}

// ---- items ----

void SmartListControl::showAllItems() {
    shownItems_.clear();
    shownItems_.reserve(allItems_.size());
    for (const ItemRef& item : allItems_)
        shownItems_.push_back(item.get());
    filter_.reset();
    resetContentHeight();
}

void SmartListControl::setFilter(std::unique_ptr<ISmartListFilter> filter) {
    if (filter.get() != filter_.get() && (filter || filter_))
        setScrollOffset(-marginTop_);
    filter_ = std::move(filter);
    reapplyFilter();
}

void SmartListControl::reapplyFilter() {
    if (!filter_) {
        showAllItems();
    } else {
        shownItems_.clear();
        const size_t limit = static_cast<size_t>(std::max(filter_->itemLimit(), 0));
        for (const ItemRef& item : allItems_) {
            if (!filter_->match(*item))
                continue;
            shownItems_.push_back(item.get());
            if (shownItems_.size() > limit)
                break;
        }
        filter_->arrange(*this, shownItems_);
        if (titleLabel_)
            titleLabel_->setText(filter_->label());
    }
    cursorIndex_ = -1;
    onItemsChanged();
    resetContentHeight();
    int H = rect().height();
    setScrollOffset(std::min(offset_, contentHeight() - H));
}

void SmartListControl::appendItem(ItemRef item) {
    if (!item)
        return;
    item->updateHeight(*this);
    if (accepts(*item))
        shownItems_.push_back(item.get());
    allItems_.push_back(std::move(item));
    resetContentHeight();
}

void SmartListControl::addItem(ItemRef item) {
    if (!item)
        return;
    IListItem* added = item.get();
    insertItem(0, std::move(item));
    if (bottomAnchored_ && shownIndexOf(added) >= 0)
        setScrollOffset(offset_ + added->height());
    onItemsChanged();
}

void SmartListControl::insertItem(int index, ItemRef item) {
    if (!item)
        return;
    item->updateHeight(*this);
    size_t at = std::min(static_cast<size_t>(std::max(index, 0)), allItems_.size());
    IListItem* inserted = item.get();
    allItems_.insert(allItems_.begin() + static_cast<ptrdiff_t>(at), std::move(item));
    if (!accepts(*inserted))
        return;
    size_t shownAt = std::min(static_cast<size_t>(std::max(index, 0)), shownItems_.size());
    shownItems_.insert(shownItems_.begin() + static_cast<ptrdiff_t>(shownAt), inserted);
    resetContentHeight();
}

void SmartListControl::removeAllItems() {
    platform::killTimer(window(), longPressTimerId());
    pressedItem_ = longPressItem_ = nullptr;
    shownItems_.clear();
    // Moved out first: an item's destructor must never see a half-emptied list.
    std::vector<ItemRef> released = std::move(allItems_);
    allItems_.clear();
    released.clear();
    cursorIndex_ = -1;
    resetContentHeight();
    setScrollOffset(-marginTop_);
}

int SmartListControl::contentHeight() {
    if (contentHeightCache_ < 0) {
        int sum = 0;
        for (const IListItem* item : shownItems_)
            sum += item->height();
        contentHeightCache_ = sum;
    }
    return contentHeightCache_;
}

int SmartListControl::contentShift() {
    int H = rect().height();
    int C = contentHeight();
    return bottomAnchored_ && C < H ? H - C : 0;
}

IListItem* SmartListControl::hitTest(int relativeY) {
    int y = contentY(relativeY);
    if (y < 0)
        return nullptr;
    int top = 0;
    for (IListItem* item : shownItems_) {
        int bottom = top + item->height();
        if (y < bottom)
            return item;
        top = bottom;
    }
    return nullptr;
}

int SmartListControl::shownIndexOf(const IListItem* item) const {
    auto found = std::find(shownItems_.begin(), shownItems_.end(), item);
    return found == shownItems_.end() ? -1 : static_cast<int>(found - shownItems_.begin());
}

Rect SmartListControl::itemRect(const IListItem* item) {
    int top = rect().top - offset_ + contentShift();
    for (const IListItem* shown : shownItems_) {
        if (shown == item)
            return {rect().left, top, rect().right, top + shown->height()};
        top += shown->height();
    }
    return {};
}

// ---- scrolling ----

int SmartListControl::endPosition() {
    int H = rect().height();
    int C = contentHeight();
    if (C > H)
        return C - H + marginBottom_;
    return bottomAnchored_ ? marginBottom_ : -marginTop_;
}

void SmartListControl::setScrollOffset(int value) {
    int H = rect().height();
    int C = contentHeight();
    int before = offset_;
    if (value == endOffset) {
        platform::killTimer(window(), bounceTimerId());
        offset_ = endPosition();
    } else if (C > H && !shownItems_.empty()) {
        int last = C - H + marginBottom_;
        value = std::clamp(value, -overscroll - marginTop_, last + overscroll);
        if (value < -marginTop_ || value > last)
            platform::setTimer(window(), bounceTimerId(), bounceMs);
        else
            platform::killTimer(window(), bounceTimerId());
        offset_ = value;
    } else {
        // The content fits: there is nothing to scroll.
        offset_ = bottomAnchored_ ? marginBottom_ : -marginTop_;
        platform::killTimer(window(), bounceTimerId());
    }
    if (offset_ != before && scrollListener_)
        scrollListener_->execute();
}

void SmartListControl::animateTo(int target, int longestMs) {
    target = std::clamp(target, std::min(-marginTop_, endPosition()), endPosition());
    if (!isVisible() || !platform::isWindowVisible(window())) {
        setScrollOffset(target);
        return;
    }
    AnimationList animations;
    animations.push_back(std::make_unique<ListAnimation>(*this, target, longestMs));
    runAnimations(window(), std::move(animations));
}

void SmartListControl::scrollToItem(int index, bool immediately) {
    if (index < 0 || static_cast<size_t>(index) >= shownItems_.size())
        return;
    int H = rect().height();
    int C = contentHeight();
    int top = 0;
    for (int i = 0; i < index; ++i)
        top += shownItems_[static_cast<size_t>(i)]->height();
    int target = std::clamp(top - H / 2, 0, std::max(C - H, 0));
    if (immediately || !isVisible() || std::abs(target - offset_) <= immediateDistance) {
        setScrollOffset(target);
        invalidate(rect());
        return;
    }
    animateTo(target, getInt(u"scroll.duration", scrollDurationSlot));
}

void SmartListControl::scrollToTop() {
    if (!isVisible() || std::abs(offset_) <= immediateDistance) {
        setScrollOffset(0);
        invalidate(rect());
        return;
    }
    animateTo(0, getInt(u"scroll.duration", scrollDurationSlot));
}

void SmartListControl::stopSliding() {
    sliding_ = false;
    speed_ = 0;
    platform::killTimer(window(), slideTimerId());
}

void SmartListControl::onSlideTimer() {
    if (!sliding_) {
        speed_ = 0;
        platform::killTimer(window(), slideTimerId());
        return;
    }
    speed_ = static_cast<int>(static_cast<float>(speed_) / friction_);
    if (std::abs(speed_) < stopSpeed)
        sliding_ = false;
    setScrollOffset(offset_ + speed_);
    // Near an end there is no point sliding on into the spring.
    int H = rect().height();
    int C = contentHeight();
    int magnitude = std::abs(speed_);
    if (speed_ < 0 && offset_ <= magnitude - marginTop_ - overscroll)
        sliding_ = false;
    if (speed_ > 0 && C - magnitude - H + overscroll < offset_ - marginBottom_)
        sliding_ = false;
    invalidate(rect());
}

void SmartListControl::onBounceTimer() {
    int H = rect().height();
    int C = contentHeight();
    int last = C - H + marginBottom_;
    // Each step moves toward the nearer end of the resting range and lands on it
    // exactly, so the spring never overshoots into the other direction.
    if (offset_ < -marginTop_)
        setScrollOffset(std::min(offset_ + bounceStep, -marginTop_));
    else if (offset_ > last)
        setScrollOffset(std::max(offset_ - bounceStep, last));
    else
        platform::killTimer(window(), bounceTimerId());
    invalidate(rect());
}

// ---- item hooks ----

void SmartListControl::onItemHighlighted(IListItem*) {}

void SmartListControl::beginLongPress(IListItem* item, int x, int y) {
    longPressItem_ = item;
    longPressX_ = x;
    longPressY_ = y;
    platform::setTimer(window(), longPressTimerId(), longPressMs);
}

void SmartListControl::onLongPress(IListItem* item, int x, int y) {
    if (longPressAction_)
        longPressAction_->execute(item, x, y);
}

void SmartListControl::onItemClick(IListItem* item, int x, int y) {
    // A native edit field that had the focus when the finger came down gets only its
    // focus taken away by this tap, so a tap meant to close the keyboard does not open
    // a contact as well.
    platform::WindowHandle focus = platform::focusWindow();
    bool editHadFocus = focus != 0 && focus != window() && focus == focusAtDown_;
    if (editHadFocus && !clickKeepsFocus_) {
        platform::setFocus(window());
        return;
    }
    // The click action may empty the list; the item lives until its own click is done.
    ItemRef keep(item);
    if (clickAction_)
        clickAction_->execute(item, x, y);
    item->onClick(*this, x, y);
    if (editHadFocus)
        platform::setFocus(window());
}

void SmartListControl::onItemsChanged() {}

bool SmartListControl::reachesLetter(const IListItem& item, char16_t letter) const {
    return item.indexLetter() >= letter;
}

// ---- the control functions ----

void SmartListControl::layout(const Rect& reference) {
    // A list resting at its top stays there when the margins change.
    const bool atTop = offset_ == -marginTop_;
    LightControl::layout(reference);
    if (titleLabel_ && filter_)
        titleLabel_->setText(filter_->label());
    marginTop_ = getInt(u"margin.top", noCache);
    marginBottom_ = getInt(u"margin.bottom", noCache);
    // A friction below 1 would speed a flick up; such a theme value slides at constant
    // speed until an end stops it.
    float friction =
        static_cast<float>(SettingStore::instance().number(typeName(), name(), u"scroll.friction"));
    friction_ = std::max(friction, 1.0f);
    // A new size moves the ends: keep the offset in range.
    setScrollOffset(atTop ? -marginTop_ : offset_);
}

void SmartListControl::beginScreenChange() {
    for (const ItemRef& item : allItems_)
        if (auto* hosted = dynamic_cast<ControlItem*>(item.get()))
            hosted->control().beginScreenChange();
}

void SmartListControl::endScreenChange() {
    for (const ItemRef& item : allItems_)
        if (auto* hosted = dynamic_cast<ControlItem*>(item.get()))
            hosted->control().endScreenChange();
}

int SmartListControl::paint(PaintContext& context, Rect clip) {
    const Rect visible = rect().intersected(clip);
    if (visible.isEmpty())
        return 0;
    drawBackground(context, getBackground(u"background", backgroundSlot), rect(), visible);
    if (shownItems_.empty()) {
        getFont(u"noitem.font", noItemFontSlot)
            .drawText(context.surface, getText(u"noitem.text"), rect(),
                      platform::TextFormat::Centre | platform::TextFormat::VerticalCentre |
                          platform::TextFormat::NoPrefix,
                      visible);
        return 1;
    }
    const int H = rect().height();
    const int C = contentHeight();
    int rowRight = rect().right;
    if (C > H) {
        Rect bar = getBox(u"scrollbar.box", scrollbarBoxSlot).rectangle(rect());
        drawBackground(context, getBackground(u"scrollbar.background", scrollbarBackgroundSlot),
                       bar, visible);
        Rect track = getBox(u"scrollbar.scroller.box", scrollerBoxSlot).rectangle(bar);
        const int64_t span = track.height();
        int thumbTop = track.top + static_cast<int>(std::max<int64_t>(offset_ * span / C, 0));
        int thumbBottom = thumbTop + static_cast<int>(H * span / C);
        thumbBottom = std::min(thumbBottom, track.bottom);
        drawBackground(context,
                       getBackground(u"scrollbar.scroller.background", scrollerBackgroundSlot),
                       {track.left, thumbTop, track.right, thumbBottom}, visible);
        // A theme that hides the bar with an empty box keeps full-width rows.
        if (!track.isEmpty())
            rowRight = track.left;
    }
    // NOTE: the walk adds up heights from the first item, a few thousand integer
    // additions per frame; only rows that meet the damaged band are drawn. Every row
    // gets the visible band as its clip: rows inside it draw whole, the ones crossing
    // its edges are cut there.
    const Rect rowClip = visible.intersected({rect().left, visible.top, rowRight, visible.bottom});
    int top = rect().top - offset_ + contentShift();
    for (size_t i = 0; i < shownItems_.size(); ++i) {
        IListItem* item = shownItems_[i];
        int bottom = top + item->height();
        if (top >= visible.bottom)
            break;
        if (bottom > visible.top && !rowClip.isEmpty())
            item->paint(context, {rect().left, top, rowRight, bottom}, rowClip,
                        static_cast<int>(i) == cursorIndex_);
        top = bottom;
    }
    return 1;
}

Rect SmartListControl::onStylusDown(int x, int y) {
    if (!rect().contains({x, y}))
        return {};
    focusAtDown_ = platform::focusWindow();
    lastX_ = x;
    lastYAbs_ = y;
    moved_ = 0;
    wasSlidingAtDown_ = sliding_;
    sliding_ = false;
    stylusIsDown_ = true;
    downY_ = lastY_ = y - rect().top;
    pressedItem_ = hitTest(downY_);
    if (!pressedItem_)
        return {};
    beginLongPress(pressedItem_, x - rect().left, downY_);
    return rect();
}

Rect SmartListControl::onStylusMove(int x, int y) {
    if (!stylusIsDown_)
        return {};
    moved_ += std::abs(x - lastX_) + std::abs(y - lastYAbs_);
    lastX_ = x;
    lastYAbs_ = y;
    int rel = y - rect().top;
    uint32_t now = platform::tickCount();
    if (now - lastMoveTick_ < speedWindowMs) {
        int d = std::abs(lastY_ - rel);
        speed_ = d + speedAccumulator_ / 2;
        speedAccumulator_ = d + speedAccumulator_ / 4;
    } else {
        speed_ = speedAccumulator_ = 0;
    }
    setScrollOffset(offset_ + lastY_ - rel);
    lastY_ = rel;
    lastMoveTick_ = now;
    return rect();
}

Rect SmartListControl::onStylusUp(int x, int y) {
    if (!stylusIsDown_)
        return {};
    stylusIsDown_ = false;
    if (shownItems_.empty()) {
        platform::setFocus(window());
        if (emptyTapAction_)
            emptyTapAction_->execute();
        return {};
    }
    int rel = y - rect().top;
    if (std::abs(rel - downY_) > tapTolerance || moved_ > tapMoved) {
        if (speed_ > flingSpeed && platform::tickCount() - lastMoveTick_ < speedWindowMs) {
            speed_ = (downY_ - rel) / 4;
            sliding_ = true;
            platform::setTimer(window(), slideTimerId(),
                               static_cast<uint32_t>(
                                   std::max(getInt(u"scroll.slidingdelay", slidingDelaySlot), 1)));
        }
        return rect();
    }
    bool wasSliding = sliding_ || wasSlidingAtDown_;
    wasSlidingAtDown_ = false;
    if (wasSliding) {
        // Touching a sliding list only stops it.
        stopSliding();
        return rect();
    }
    if (IListItem* item = hitTest(rel)) {
        cursorIndex_ = shownIndexOf(item);
        invalidate(rect());
        platform::updateWindow(window());
        onItemClick(item, x - rect().left, rel);
    } else if (emptyTapAction_) {
        emptyTapAction_->execute();
    }
    return rect();
}

Rect SmartListControl::onStylusRelease(int, int) {
    platform::killTimer(window(), longPressTimerId());
    return {};
}

Rect SmartListControl::onKey(int virtualKey, char16_t character) {
    if (virtualKey == letterKey)
        return letterJump(character);
    if (!isArrowKey(virtualKey) && virtualKey != int(platform::key::action))
        return {};
    stopSliding();
    return cursorKey(virtualKey);
}

Rect SmartListControl::letterJump(char16_t letter) {
    stopSliding();
    if (letter >= u'0' && letter <= u'9')
        letter = u'#';
    int top = 0;
    for (const IListItem* item : shownItems_) {
        if (reachesLetter(*item, letter)) {
            animateTo(top, letterJumpMs);
            return {};
        }
        top += item->height();
    }
    animateTo(endPosition(), letterJumpMs);
    return {};
}

Rect SmartListControl::cursorKey(int virtualKey) {
    using namespace platform;
    const int H = rect().height();
    const int C = contentHeight();
    if (!keyboardCursorMode_ && isArrowKey(virtualKey) && (cursorIndex_ >= 0 || offset_ + H < C)) {
        int page = virtualKey == int(key::up) || virtualKey == int(key::left) ? -H : H;
        animateTo(offset_ + page, getInt(u"scroll.duration", scrollDurationSlot));
        return {};
    }
    if (shownItems_.empty())
        return {};
    const int count = static_cast<int>(shownItems_.size());
    if (cursorIndex_ >= count)
        cursorIndex_ = -1;
    if (cursorIndex_ >= 0) {
        Rect row = itemRect(shownItems_[static_cast<size_t>(cursorIndex_)]);
        if (row.bottom <= rect().top || row.bottom > rect().bottom)
            cursorIndex_ = -1;
    }
    if (cursorIndex_ < 0) {
        // The cursor starts at the first row whose top lies at or below the middle.
        int middle = offset_ + H / 2 - contentShift();
        int top = 0;
        cursorIndex_ = 0;
        for (int i = 0; i < count; ++i) {
            if (top >= middle) {
                cursorIndex_ = i;
                break;
            }
            top += shownItems_[static_cast<size_t>(i)]->height();
        }
    } else if (virtualKey == int(key::action)) {
        IListItem* item = shownItems_[static_cast<size_t>(cursorIndex_)];
        ItemRef keep(item);
        item->onClick(*this, -1, -1);
        if (clickAction_)
            clickAction_->execute(item, -1, -1);
        // Handled, with nothing of the list's own to repaint.
        return {0, 0, 1, 0};
    } else {
        int step = virtualKey == int(key::down)   ? 1
                   : virtualKey == int(key::up)   ? -1
                   : virtualKey == int(key::left) ? -getInt(u"scroll.bigpagesize", bigPageSizeSlot)
                                                  : getInt(u"scroll.bigpagesize", bigPageSizeSlot);
        cursorIndex_ = std::clamp(cursorIndex_ + step, 0, count - 1);
    }
    onItemHighlighted(shownItems_[static_cast<size_t>(cursorIndex_)]);
    scrollToItem(cursorIndex_, false);
    if (isArrowKey(virtualKey))
        dropQueuedKeys();
    return rect();
}

void SmartListControl::dropQueuedKeys() {
    using namespace platform;
    // The queue can only be read from the front, so everything is taken and all but this
    // window's key messages go back in their order. A paint is never queued (it is
    // made from the window's damage), so taking one ends the walk and it is re-posted.
    std::vector<Message> kept;
    Message message;
    bool quit = false;
    int quitCode = 0;
    for (int taken = 0; taken < 1024 && peekMessage(message); ++taken) {
        bool key =
            message.window == window() && (message.id == msg::keyDown || message.id == msg::keyUp ||
                                           message.id == msg::character);
        if (key)
            continue;
        if (message.id == msg::quit) {
            quit = true;
            quitCode = static_cast<int>(message.wParam);
            continue;
        }
        kept.push_back(message);
        if (message.id == msg::paint)
            break;
    }
    for (const Message& again : kept)
        if (again.id != msg::paint)
            postMessage(again.window, again.id, again.wParam, again.lParam);
    if (quit)
        postQuitMessage(quitCode);
}

void SmartListControl::reloadSettings() {
    LightControl::reloadSettings();
    for (const ItemRef& item : allItems_) {
        item->reloadSettings();
        // A new theme may change the row heights.
        item->updateHeight(*this);
    }
    resetContentHeight();
}

bool SmartListControl::onTimer(uintptr_t id) {
    if (id == slideTimerId()) {
        onSlideTimer();
        return true;
    }
    if (id == bounceTimerId()) {
        onBounceTimer();
        return true;
    }
    if (id == longPressTimerId()) {
        platform::killTimer(window(), id);
        if (moved_ < longPressMoved && stylusIsDown_ && longPressItem_) {
            stylusIsDown_ = false;
            onLongPress(longPressItem_, longPressX_, longPressY_);
        }
        return true;
    }
    return false;
}

void SmartListControl::describe(DumpWriter& out) const {
    LightControl::describe(out);
    out.add("offset", offset_);
    out.add("cursor", cursorIndex_);
    out.add("count", static_cast<int>(shownItems_.size()));
    for (const IListItem* item : shownItems_) {
        DumpValue entry = DumpValue::object();
        DumpWriter writer(*entry.asObject());
        item->describe(writer);
        out.append("items", std::move(entry));
    }
}

} // namespace vantrel
