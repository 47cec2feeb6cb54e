#pragma once
// A button placed relative to another control, so it moves with it: the entries of a
// menu panel slide with the panel.

#include "ui/Button.h"

namespace vantrel {

class RelativeButton : public Button {
public:
    // `relative` is measured from the reference's top-left corner; the reference is
    // borrowed and must outlive the button (it is usually the button's container).
    RelativeButton(platform::WindowHandle window, std::u16string name,
                   const LightControl* reference, const platform::Rect& relative);

    // Reads the caption; the rectangle stays what the creator gave.
    void layout(const platform::Rect& reference) override;
    int paint(PaintContext& context, platform::Rect clip) override;
    platform::Rect onStylusDown(int x, int y) override;
    platform::Rect onStylusMove(int x, int y) override;
    platform::Rect onStylusUp(int x, int y) override;
    platform::Rect onStylusRelease(int x, int y) override;

    const platform::Rect& relativeRect() const { return relative_; }
    void setRelativeRect(const platform::Rect& relative);

private:
    // Moves the button to where the reference stands now.
    void follow();

    const LightControl* reference_;
    platform::Rect relative_;
};

} // namespace vantrel
