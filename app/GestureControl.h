#pragma once
// The gesture layer: a transparent control over the whole window, first in the
// window's list so it sees strokes before the screens. It draws nothing and, until the
// main screen's gestures are recognised, lets every stroke through to the screens.

#include "ui/LightControl.h"

namespace vantrel {

class GestureControl : public LightControl {
public:
    GestureControl(platform::WindowHandle window, std::u16string name)
        : LightControl(window, u"gesture", std::move(name)) {}

    // Covers the whole client area, whatever the settings say.
    void layout(const platform::Rect& reference) override { setRect(reference); }
    int paint(PaintContext&, platform::Rect) override { return 0; }
};

} // namespace vantrel
