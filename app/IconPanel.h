#pragma once
// The bar of four icon buttons at the bottom of the main screen: favourites, SMS (with
// a badge counting the unread messages), the filter menu and the phone pad. A long
// press on the phone button opens the symbol pad, a second row over the bar.

#include "ui/Action.h"
#include "ui/ContainerPanel.h"

namespace vantrel {

class SymbolPadContainer;

class IconPanel : public ContainerPanel {
public:
    // `filterAction` runs on the filter button (the panel owns it).
    IconPanel(platform::WindowHandle window, std::unique_ptr<Action> filterAction);

    void layout(const platform::Rect& reference) override;
    int paint(PaintContext& context, platform::Rect clip) override;
    platform::Rect onStylusDown(int x, int y) override;
    // Moves reach the buttons only while the press began inside the bar.
    platform::Rect onStylusMove(int x, int y) override;
    // The unread badge's text ("" without unread messages), the symbol pad.
    void describe(DumpWriter& out) const override;

    // Opens the symbol pad over the bar and shades the screen behind it.
    void openSymbolPad();
    // Takes the symbol pad away (its proxy action calls this after its command ran).
    void closeSymbolPad();
    SymbolPadContainer* symbolPad() const { return symbolPad_; }
    // The text the badge shows for the current unread count.
    static std::u16string badgeText();

private:
    enum BoxSlot { counterBox };
    enum BackgroundSlot { barLook, counterLook };
    enum FontSlot { counterFont };

    platform::Rect reference_;
    bool pressedInside_ = false;
    SymbolPadContainer* symbolPad_ = nullptr;
};

// "Favorites": the favourite filter, or all contacts again when it is set.
class IconFavoriteAction : public Action {
public:
    void execute() override;
};

// "SMS": the SMS filter, or all contacts again when it is set.
class IconSmsAction : public Action {
public:
    void execute() override;
};

// "Phone": slides the main screen's phone pad in or out.
class PhonePadAction : public Action {
public:
    void execute() override;
};

// A long press on "Phone": the symbol pad.
class IconSymbolPadAction : public Action {
public:
    explicit IconSymbolPadAction(IconPanel& panel) : panel_(panel) {}
    void execute() override { panel_.openSymbolPad(); }

private:
    IconPanel& panel_;
};

} // namespace vantrel
