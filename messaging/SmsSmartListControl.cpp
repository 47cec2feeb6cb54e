#include "messaging/SmsSmartListControl.h"

#include "messaging/SMSPanel.h"
#include "messaging/SmsBubbleItem.h"
#include "settings/Background.h"
#include "settings/SettingStore.h"

#include <algorithm>

namespace vantrel {

namespace {

uint64_t timeOf(const IListItem* item) {
    // Every item of this list is a bubble.
    return static_cast<const SmsBubbleItem*>(item)->message().time;
}

bool earlier(const IListItem* a, const IListItem* b) {
    return timeOf(a) < timeOf(b);
}

// An opaque fill or gradient over the whole box, nothing drawn from outside it.
bool coversBox(const Background& background) {
    const Insets& m = background.margin;
    const bool filled = (background.fillColour != noColour && background.fillAlpha == 255) ||
                        background.verticalGradient || background.horizontalGradient;
    return !background.none && filled && !background.mainImage && m.top == 0 && m.left == 0 &&
           m.right == 0 && m.bottom == 0;
}

// How far from the view, in screens, a bubble keeps its drawing.
constexpr int keptScreens = 2;

} // namespace

std::u16string_view SmsSmartListControl::prefixOf(BubbleKind kind) {
    static constexpr std::u16string_view prefixes[bubbleKindCount] = {
        u"received.read", u"received.unread", u"sent.read",
        u"sent.unread",   u"received.call",   u"sent.call"};
    return prefixes[kind];
}

SmsSmartListControl::SmsSmartListControl(platform::WindowHandle window, SMSPanel* panel)
    : SmartListControl(window, u"sms", u"smslist"), panel_(panel) {
    setBottomAnchored(true);
    setKeyboardCursorMode(false);
}

const SmsSmartListControl::BubbleLook& SmsSmartListControl::look(BubbleKind kind) {
    if (!looksResolved_) {
        SettingStore& store = SettingStore::instance();
        for (int k = 0; k < bubbleKindCount; ++k) {
            const std::u16string prefix(prefixOf(BubbleKind(k)));
            BubbleLook& look = looks_[size_t(k)];
            look.box = &store.box(typeName(), name(), prefix + u".box");
            look.background = &store.background(typeName(), name(), prefix + u".background");
            look.textBox = &store.box(typeName(), name(), prefix + u".text.box");
            look.font = &store.font(typeName(), name(), prefix + u".font");
            look.infoFont = &store.font(typeName(), name(), prefix + u".info.font");
            look.opaque = coversBox(*look.background);
        }
        looksResolved_ = true;
    }
    return looks_[kind];
}

void SmsSmartListControl::addItem(ItemRef item) {
    if (!asBubble(item.get()))
        return;
    const bool pinned = atEnd();
    SmartListControl::addItem(std::move(item));
    if (pinned)
        setScrollOffset(endOffset);
}

void SmsSmartListControl::appendAtEnd(ItemRef item) {
    if (!asBubble(item.get()))
        return;
    appendItem(std::move(item));
    onItemsChanged();
    setCursorIndex(-1);
    setScrollOffset(endOffset);
    invalidate(rect());
}

int SmsSmartListControl::contentHeight() {
    const int width = rect().width();
    bool changed = false;
    for (IListItem* item : shownItems())
        if (auto* bubble = static_cast<SmsBubbleItem*>(item); bubble->needsMeasure(width)) {
            bubble->updateHeight(*this);
            changed = true;
        }
    if (changed)
        resetContentHeight();
    return SmartListControl::contentHeight();
}

void SmsSmartListControl::onLongPress(IListItem* item, int, int) {
    if (SmsBubbleItem* bubble = asBubble(item); bubble && panel_)
        panel_->toggleRead(*bubble);
}

void SmsSmartListControl::onItemsChanged() {
    std::vector<IListItem*>& shown = shownItemsRef();
    if (!std::is_sorted(shown.begin(), shown.end(), earlier))
        std::stable_sort(shown.begin(), shown.end(), earlier);
    std::vector<ItemRef>& all = allItemsRef();
    auto earlierRef = [](const ItemRef& a, const ItemRef& b) { return earlier(a.get(), b.get()); };
    if (!std::is_sorted(all.begin(), all.end(), earlierRef))
        std::stable_sort(all.begin(), all.end(), earlierRef);
}

int SmsSmartListControl::paint(PaintContext& context, platform::Rect clip) {
    const int painted = SmartListControl::paint(context, clip);
    const int H = rect().height();
    const int C = contentHeight();
    int top = rect().top - scrollOffset() + (C < H ? H - C : 0);
    for (IListItem* item : shownItems()) {
        const int bottom = top + item->height();
        if (bottom < rect().top - keptScreens * H || top > rect().bottom + keptScreens * H)
            static_cast<SmsBubbleItem*>(item)->dropDrawing();
        top = bottom;
    }
    return painted;
}

void SmsSmartListControl::layout(const platform::Rect& reference) {
    const bool pinned = atEnd();
    SmartListControl::layout(reference);
    resetContentHeight();
    if (pinned)
        setScrollOffset(endOffset);
}

void SmsSmartListControl::reloadSettings() {
    looksResolved_ = false;
    for (IListItem* item : shownItems())
        static_cast<SmsBubbleItem*>(item)->markStale();
    SmartListControl::reloadSettings();
}

void SmsSmartListControl::remeasure(SmsBubbleItem& bubble) {
    const bool pinned = atEnd();
    bubble.markStale();
    bubble.updateHeight(*this);
    resetContentHeight();
    if (pinned)
        setScrollOffset(endOffset);
    invalidate(rect());
}

void SmsSmartListControl::removeBubble(SmsBubbleItem& bubble) {
    const bool pinned = atEnd();
    // The list's reference may be the last: the bubble lives until this call ends.
    ItemRef keep(&bubble);
    std::vector<IListItem*>& shown = shownItemsRef();
    shown.erase(std::remove(shown.begin(), shown.end(), &bubble), shown.end());
    std::vector<ItemRef>& all = allItemsRef();
    all.erase(std::remove_if(all.begin(), all.end(),
                             [&](const ItemRef& item) { return item.get() == &bubble; }),
              all.end());
    setCursorIndex(-1);
    resetContentHeight();
    setScrollOffset(pinned ? endOffset : scrollOffset());
    invalidate(rect());
}

SmsBubbleItem* SmsSmartListControl::bubble(size_t index) const {
    return index < shownItems().size() ? static_cast<SmsBubbleItem*>(shownItems()[index]) : nullptr;
}

} // namespace vantrel
