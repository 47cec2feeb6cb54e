#pragma once
// The button column: a bottom-anchored smart list whose rows are buttons. A press shows
// the button pressed at once (a button column has no long press of its own) and a tap
// lets the button run its own action. Every row must be a ControlItem holding a Button;
// anything else is a programming error that stops the program.

#include "lists/SmartListControl.h"

namespace vantrel {

class Button;

class ButtonSmartListControl : public SmartListControl {
public:
    ButtonSmartListControl(platform::WindowHandle window, std::u16string name);

    void appendItem(ItemRef item) override;
    void addItem(ItemRef item) override;
    void insertItem(int index, ItemRef item) override;
    // Presses the row's button instead of starting a long press.
    void beginLongPress(IListItem* item, int x, int y) override;
    // Lifts the stylus on the row's button, which runs its action.
    void onItemClick(IListItem* item, int x, int y) override;
    // The list's own handling, then no button stays pressed.
    platform::Rect onStylusUp(int x, int y) override;
    // The list's timers and its buttons' long-press timers.
    bool onTimer(uintptr_t id) override;

    // The button of a row; stops the program when the row holds none.
    static Button& buttonOf(IListItem* item);
};

} // namespace vantrel
