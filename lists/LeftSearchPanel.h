#pragma once
// The index strip beside a list. It marks the letter of the entry in the middle of the
// list; touching it (or either screen edge at its height) and sliding shows a large
// bubble with the letter under the finger, and lifting the finger makes the list jump
// to the first entry at or after that letter.
//
// The strip is LeftSearchPanel; the bubble, SearchFeedbackControl, is a top-level control
// of its own in front of all others so it is drawn over everything; the list runs a
// SearchPanelScrollAction after every scroll so the mark follows.

#include "platform/gfx/Surface.h"
#include "ui/Action.h"
#include "ui/LightControl.h"

#include <memory>

namespace vantrel {

class SearchFeedbackControl;
class SmartListControl;

class LeftSearchPanel : public LightControl {
public:
    // Puts the bubble in front of the window's controls and installs the scroll action
    // in the list. The list must outlive the panel.
    LeftSearchPanel(platform::WindowHandle window, std::u16string name, SmartListControl& list);
    // Takes the bubble off the window and the scroll action out of the list.
    ~LeftSearchPanel() override;

    // Reads the letters; the strip picture is drawn again at the next paint.
    void layout(const platform::Rect& reference) override;
    // The strip picture, then the mark on the current letter.
    int paint(PaintContext& context, platform::Rect clip) override;
    platform::Rect onStylusDown(int x, int y) override;
    platform::Rect onStylusMove(int x, int y) override;
    // Sends the letter under the finger to the window as the letter key.
    platform::Rect onStylusUp(int x, int y) override;
    void reloadSettings() override;
    void describe(DumpWriter& out) const override;

    // The index letter of the list's entry in the middle of its view; 0 for none.
    char16_t listLetter() const;
    // Repaints the strip when the middle entry's letter changed.
    void onListScrolled();
    // Draws the bubble while the finger is on the strip.
    void paintFeedback(PaintContext& context, const platform::Rect& clip);

    bool isActive() const { return active_; }
    // Ends a drag on the strip without a jump (the screen is being switched under it).
    void cancelPress() { active_ = false; }
    char16_t touchLetter() const { return touchLetter_; }
    char16_t currentLetter() const { return currentLetter_; }
    const platform::Rect& feedbackRect() const { return feedbackRect_; }
    SearchFeedbackControl& feedback() const { return *feedback_; }

private:
    enum BoxSlot { indexBoxSlot, feedbackBoxSlot, feedbackTextBoxSlot };
    enum FontSlot { letterFontSlot, markerFontSlot, feedbackFontSlot };
    enum BackgroundSlot { backgroundSlot, markerBackgroundSlot, feedbackBackgroundSlot };
    enum IntSlot { leftBorderSlot, rightBorderSlot };

    platform::Rect indexBox();
    // The cell of letter `index` in window coordinates.
    platform::Rect cell(int index);
    // Follows the finger to `y`: the letter under it, the marker and the bubble.
    platform::Rect moveTo(int y);
    platform::Rect bubbleRect();
    void buildStrip();

    std::u16string letters_;
    float letterHeight_ = 0;
    platform::Rect feedbackRect_;
    int markerY_ = 0;
    char16_t touchLetter_ = 0;
    platform::Surface stripImage_;
    SmartListControl& list_;
    char16_t currentLetter_ = 0;
    bool active_ = false;
    std::unique_ptr<SearchFeedbackControl> feedback_;
    Action* scrollAction_ = nullptr;
};

// The letter bubble; it takes no input.
class SearchFeedbackControl : public LightControl {
public:
    SearchFeedbackControl(platform::WindowHandle window, std::u16string name,
                          LeftSearchPanel& panel);
    // The bubble follows the finger, not a box.
    void layout(const platform::Rect&) override {}
    int paint(PaintContext& context, platform::Rect clip) override;
    // Whether the bubble shows, and its letter.
    void describe(DumpWriter& out) const override;

private:
    LeftSearchPanel& panel_;
};

// The list's scroll listener: keeps the strip's mark on the middle entry's letter.
class SearchPanelScrollAction : public Action {
public:
    explicit SearchPanelScrollAction(LeftSearchPanel& panel) : panel_(panel) {}
    void execute() override { panel_.onListScrolled(); }

private:
    LeftSearchPanel& panel_;
};

} // namespace vantrel
