#pragma once
// Push buttons: pressed while the stylus is down on them, clicked when it lifts inside,
// and, with a long-press action, that action instead when the stylus stays down for
// "longpress.delay" milliseconds. The caption is the setting "text", formatted with the
// creator's argument when there is one ("Call %s").

#include "ui/Action.h"
#include "ui/LightControl.h"

#include <memory>

namespace vantrel {

class Button : public LightControl {
public:
    Button(platform::WindowHandle window, std::u16string name);
    ~Button() override;

    // Places the button and reads its caption.
    void layout(const platform::Rect& reference) override;
    int paint(PaintContext& context, platform::Rect clip) override;
    platform::Rect onStylusDown(int x, int y) override;
    platform::Rect onStylusMove(int x, int y) override;
    platform::Rect onStylusUp(int x, int y) override;
    platform::Rect onStylusRelease(int x, int y) override;
    // The long-press timer (the button's own id).
    bool onTimer(uintptr_t id) override;
    void describe(DumpWriter& out) const override;

    // Paints the button as if it stood at `at` (pressed when asked), then puts it back;
    // list rows draw their buttons this way.
    virtual void paintAt(PaintContext& context, const platform::Rect& at,
                         const platform::Rect& clip, bool forcePressed);
    // Runs the click action.
    virtual void onClick();

    void setAction(std::unique_ptr<Action> action) { action_ = std::move(action); }
    void setLongPressAction(std::unique_ptr<Action> action) {
        longPressAction_ = std::move(action);
    }
    // The value the caption is formatted with; reformats and repaints when it changed.
    void setTextArgument(std::u16string argument);
    // A caption of the creator's own (a dialog's answers); the next layout reads the
    // setting again.
    void setText(std::u16string text);
    const std::u16string& textArgument() const { return textArgument_; }
    const std::u16string& text() const { return text_; }
    bool isPressed() const { return pressed_; }

protected:
    Button(platform::WindowHandle window, std::u16string typeName, std::u16string name);

    // The caption from the setting "text" and the argument.
    void updateText();
    // Draws the button in its current state at rect(); paint and paintAt both use it.
    virtual void drawFace(PaintContext& context, const platform::Rect& clip);
    // The background for the current state: "background.pressed" when pressed and a line
    // exists for it, else "background".
    const Background& stateBackground();

private:
    std::u16string textArgument_;
    bool pressed_ = false;
    bool longPressFired_ = false;
    // The stylus went down on this button and has not been lifted: only then does
    // sliding back in press it again, so a drag begun elsewhere never clicks it.
    bool tracking_ = false;
    std::u16string text_;
    std::unique_ptr<Action> action_;
    std::unique_ptr<Action> longPressAction_;
};

// A button of the main bar.
class IconButton : public Button {
public:
    IconButton(platform::WindowHandle window, std::u16string name);
};

// A button in a page's header strip (the back arrow).
class HeaderButton : public Button {
public:
    HeaderButton(platform::WindowHandle window, std::u16string name);
};

} // namespace vantrel
