#pragma once
// The conversation list ("smslist", instance "sms"): bubbles in time order, oldest at
// the top, anchored to its bottom edge so the newest entry sits just above the
// composer. The loader hands entries newest first; each goes in at the top and the list
// sorts itself by time, so the order holds whatever order they arrive in. A long press
// on a message turns its read state over.
//
// The bubble looks (six kinds, five values each) are resolved once and kept until the
// settings reload: bubbles are measured and drawn at every frame of a scroll.

#include "lists/SmartListControl.h"

#include <array>
#include <string_view>

namespace vantrel {

class Background;
class Box;
class Font;
class SMSPanel;
class SmsBubbleItem;

class SmsSmartListControl : public SmartListControl {
public:
    enum BubbleKind { receivedRead, receivedUnread, sentRead, sentUnread, receivedCall, sentCall };
    static constexpr int bubbleKindCount = 6;

    // The look of one kind: the keys "<prefix>.box", ".background", ".text.box",
    // ".font" and ".info.font".
    struct BubbleLook {
        const Box* box = nullptr;
        const Background* background = nullptr;
        const Box* textBox = nullptr;
        const Font* font = nullptr;
        const Font* infoFont = nullptr;
        // The background covers the whole box: a bubble of this kind looks the same
        // whatever lies under it.
        bool opaque = false;
    };

    // The key prefix of a kind: "received.read", "sent.call".
    static std::u16string_view prefixOf(BubbleKind kind);

    SmsSmartListControl(platform::WindowHandle window, SMSPanel* panel);

    SMSPanel* panel() const { return panel_; }
    const BubbleLook& look(BubbleKind kind);

    // Inserts at the top, keeping the view on the end while it rests there, then sorts.
    void addItem(ItemRef item) override;
    // Appends the newest entry (a sent or an arrived message) and scrolls to it.
    void appendAtEnd(ItemRef item);
    // Measures the bubbles whose width or state changed since they were measured.
    int contentHeight() override;
    // A message's read state turned over.
    void onLongPress(IListItem* item, int x, int y) override;
    // Sorts every entry by time, oldest first; equal times keep their order.
    void onItemsChanged() override;
    // The bubbles, then the drawings of those far from the view let go.
    int paint(PaintContext& context, platform::Rect clip) override;
    // A new width re-measures every bubble; the view stays on the end.
    void layout(const platform::Rect& reference) override;
    void reloadSettings() override;

    // Takes the bubble out of the list (after its message left the store).
    void removeBubble(SmsBubbleItem& bubble);
    // The bubble's height changed (its read state, and so its font): measure again.
    void remeasure(SmsBubbleItem& bubble);
    // The shown bubble at `index` (0 = oldest), or null.
    SmsBubbleItem* bubble(size_t index) const;
    bool atEnd() { return scrollOffset() >= endPosition(); }

private:
    SMSPanel* panel_;
    std::array<BubbleLook, bubbleKindCount> looks_{};
    bool looksResolved_ = false;
};

} // namespace vantrel
