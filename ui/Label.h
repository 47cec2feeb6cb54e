#pragma once
// Text on a background: captions, section titles, counters. The text is the setting
// "text", read again at every layout, unless the screen sets its own.

#include "ui/LightControl.h"

namespace vantrel {

class Label : public LightControl {
public:
    Label(platform::WindowHandle window, std::u16string name);

    // Places the label and reads its text from the settings.
    void layout(const platform::Rect& reference) override;
    // "background" over the rectangle, then the text word-wrapped in "text.box".
    int paint(PaintContext& context, platform::Rect clip) override;
    void describe(DumpWriter& out) const override;

    const std::u16string& text() const { return text_; }
    // Shows a text of the screen's own (a count, a message); repaints when it changed.
    void setText(std::u16string text);

protected:
    Label(platform::WindowHandle window, std::u16string typeName, std::u16string name);

private:
    std::u16string text_;
};

// The title of a section in the option and edit screens.
class SeparatorLabel : public Label {
public:
    SeparatorLabel(platform::WindowHandle window, std::u16string name);
};

} // namespace vantrel
