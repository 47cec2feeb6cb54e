#pragma once
// A button with a check square that toggles on every click, then runs its action.

#include "ui/Button.h"

namespace vantrel {

class CheckButton : public Button {
public:
    CheckButton(platform::WindowHandle window, std::u16string name);

    // Toggles the mark, then runs the action, which sees the new state.
    void onClick() override;
    void describe(DumpWriter& out) const override;

    bool isChecked() const { return checked_; }
    // Repaints when the mark changed.
    void setChecked(bool checked);

protected:
    // The background, the check square in "check.box" and the caption in "text.box",
    // each with its ".pressed" variant while pressed.
    void drawFace(PaintContext& context, const platform::Rect& clip) override;

private:
    bool checked_ = false;
};

} // namespace vantrel
