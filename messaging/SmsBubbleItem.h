#pragma once
// One conversation entry as a bubble of the conversation list. The item holds the
// entry (SMSMessage, with its store row) and draws it with the look of its kind:
// received or sent, read, unread or call. Its height is measured for the list's width
// and kept until the width or its look changes. A tap on a message opens the bubble
// menu of its screen; a call has none.

#include "lists/IListItem.h"
#include "messaging/SMSMessage.h"
#include "messaging/SmsSmartListControl.h"
#include "platform/gfx/Surface.h"

#include <string>

namespace vantrel {

class SmsBubbleItem : public IListItem {
public:
    // The sample that sets the height of the date line.
    static constexpr std::u16string_view dateSample = u"18/12/1981 18:51:51";

    explicit SmsBubbleItem(SMSMessage message);

    SMSMessage& message() { return message_; }
    const SMSMessage& message() const { return message_; }
    SmsSmartListControl::BubbleKind kind() const;
    // "<date> <time>" of the entry in local time and the user's locale, "<nodate>"
    // without a time; built on the first measure.
    const std::u16string& dateText() const { return dateText_; }
    // Forgets the measured width and the drawn bubble: the next measure and paint run
    // again.
    void markStale() {
        measuredWidth_ = -1;
        dropDrawing();
    }
    // Lets the drawn bubble go (one far from the view).
    void dropDrawing() { drawing_ = platform::Surface(); }
    bool needsMeasure(int width) const { return measuredWidth_ != width; }

    // Bubble ".box" filled with ".background", the text word-wrapped in ".text.box"
    // with ".font", the date at the bottom of the same box with ".info.font".
    int paint(PaintContext& context, const platform::Rect& rect, const platform::Rect& clip,
              bool highlighted) override;
    // Body height + one date line + the text box's vertical insets, for the list width.
    void updateHeight(SmartListControl& list) override;
    void onClick(SmartListControl& list, int x, int y) override;
    // kind (received, sent, failed, call), text, time (UTC), date, sent, read.
    void describe(DumpWriter& out) const override;

private:
    // The bubble's box with its background, the text and the date in `text`.
    void draw(platform::Surface& surface, const SmsSmartListControl::BubbleLook& look,
              const platform::Rect& box, const platform::Rect& text,
              const platform::Rect& clip) const;

    SMSMessage message_;
    // NOTE: a scroll frame would otherwise shape and blend every visible bubble's
    // text again, several times the cost of the frame's copy; an opaque bubble looks
    // the same wherever it lies, so it is drawn once and copied after.
    platform::Surface drawing_;
    int measuredWidth_ = -1;
    std::u16string dateText_;
};

// The bubble behind a list item, or null for any other item.
SmsBubbleItem* asBubble(IListItem* item);

// "yyyy-mm-ddThh:mm:ssZ" of a UTC file time, as the device tool lists messages.
std::string isoUtcTime(uint64_t fileTime);

} // namespace vantrel
