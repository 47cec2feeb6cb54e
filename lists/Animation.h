#pragma once
// Animations of parts of a screen: a list scrolling to a position, a control sliding
// vertically (the menu panel, the phone pad), a list row changing height. They change a
// control's state over time and repaint only what they touched, synchronously, through
// the window's off-screen buffer; no input is handled while they run.
//
// In virtual time the runners advance the clock by animationFrameMs for every frame, so
// a test sees the same frames on every run; with the real clock frames come as fast as
// they are drawn.

#include "platform/core/Geometry.h"
#include "platform/core/Window.h"

#include <memory>
#include <vector>

namespace vantrel {

class IListItem;
class LightControl;
class SmartListControl;

// Milliseconds between the entries of a list scroll's position table.
constexpr int listStepMs = 10;
// The time one frame takes in virtual time.
constexpr uint32_t animationFrameMs = 10;

class Animation {
public:
    explicit Animation(int durationMs) : duration_(durationMs > 0 ? durationMs : 0) {}
    virtual ~Animation() = default;
    Animation(const Animation&) = delete;
    Animation& operator=(const Animation&) = delete;

    // Moves to `elapsedMs` and returns the rectangle that changed. Past the duration it
    // shows the end state and sets `done`.
    platform::Rect step(bool& done, int elapsedMs);
    int duration() const { return duration_; }

protected:
    // Shows the state at `elapsedMs`, which lies within 0..duration.
    virtual platform::Rect apply(int elapsedMs) = 0;

private:
    int duration_;
};

// Scrolls a list to an offset, one millisecond per pixel of distance at most.
class ListAnimation : public Animation {
public:
    // A negative target animates to 0.
    ListAnimation(SmartListControl& list, int target, int longestMs);

protected:
    platform::Rect apply(int elapsedMs) override;

private:
    SmartListControl& list_;
    std::vector<int> table_;
};

// Moves a control vertically so that its top reaches `targetTop`.
class VerticalSlideAnimation : public Animation {
public:
    VerticalSlideAnimation(LightControl& control, int targetTop, int durationMs,
                           const platform::Rect& clip);

protected:
    // The union of the old and new rectangles, limited to the clip rectangle.
    platform::Rect apply(int elapsedMs) override;

private:
    LightControl& control_;
    platform::Rect clip_;
    std::vector<int> table_;
};

// Grows or shrinks a list row over 400 ms; a row out of view changes at once.
class ItemHeightAnimation : public Animation {
public:
    static constexpr int durationMs = 400;
    ItemHeightAnimation(IListItem& item, SmartListControl& list, int targetHeight);

protected:
    platform::Rect apply(int elapsedMs) override;

private:
    IListItem& item_;
    SmartListControl& list_;
    int start_;
    int target_;
};

using AnimationList = std::vector<std::unique_ptr<Animation>>;

// Runs the animations together until one of them is done, repainting the union of what
// they changed each frame, then renders the whole window. Without an off-screen buffer
// (nothing painted yet) the end states are shown at once.
void runAnimations(platform::WindowHandle window, AnimationList animations);
// Runs one animation that moves `control` over an unchanging background: the rest of the
// window is rendered once, and each frame copies the dirty band from it and paints the
// control over it.
void runControlAnimation(platform::WindowHandle window, LightControl& control,
                         std::unique_ptr<Animation> animation);

} // namespace vantrel
