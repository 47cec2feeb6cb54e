#pragma once
// The gesture layer: a transparent control over the screens, first in the window's
// list so it sees every stroke before them. It draws nothing and takes no press, so
// the screens get every stroke too; on the lift it recognises two gestures: a wide
// horizontal swipe returns to all contacts, and a quick tap in the top-right corner
// minimises the program.

#include "ui/LightControl.h"

#include <cstdint>

namespace vantrel {

class GestureControl : public LightControl {
public:
    // A swipe moves less than this vertically, and more than half the layer's width.
    static constexpr int swipeMaxVertical = 30;
    // A corner tap moves less than this either way, lasts less than cornerTapMs and
    // lands within cornerSize pixels of the screen's top-right corner.
    static constexpr int tapMaxMove = 20;
    static constexpr uint32_t cornerTapMs = 200;
    static constexpr int cornerSize = 25;

    GestureControl(platform::WindowHandle window, std::u16string name);

    // Remembers where and when the press began; asks for nothing.
    platform::Rect onStylusDown(int x, int y) override;
    platform::Rect onStylusUp(int x, int y) override;
    // The last gesture recognised ("swipe", "corner"), for scripts.
    void describe(DumpWriter& out) const override;

private:
    int downX_ = 0;
    int downY_ = 0;
    uint32_t downTick_ = 0;
    const char16_t* lastGesture_ = u"";
};

} // namespace vantrel
