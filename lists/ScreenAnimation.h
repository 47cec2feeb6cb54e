#pragma once
// The screen transitions: each draws one frame of the change from the old picture of the
// window to the new one, given the milliseconds since the start. Pictures are whole-window
// RGB565 surfaces of one size; a frame touches only the pixels of its area and covers
// every one of them, so a frame depends on nothing but the elapsed time and the pictures
// (which is what lets a reversed animation replay the forward frames backwards).
//
// Index: the base, slide, slide-and-fade and fade, switch, flip, genie, reverse.

#include "lists/CardFrame.h"
#include "lists/TransitionBackdrop.h"
#include "platform/core/Geometry.h"
#include "platform/gfx/Surface.h"

#include <memory>
#include <vector>

namespace vantrel {

class Background;

class ScreenAnimation {
public:
    explicit ScreenAnimation(int durationMs) : duration_(durationMs < 0 ? 0 : durationMs) {}
    virtual ~ScreenAnimation() = default;
    ScreenAnimation(const ScreenAnimation&) = delete;
    ScreenAnimation& operator=(const ScreenAnimation&) = delete;

    int duration() const { return duration_; }

    // Draws the frame at `elapsed` milliseconds into `frame` inside `area`, which lies
    // inside all three pictures. Once `elapsed` reaches the duration it draws the end
    // state and sets `done`, so the last frame of a run always shows the new picture.
    // The pictures are those of one run: an animation may keep what it derives from them
    // between frames, so pictures that change make a new animation.
    virtual void drawFrame(bool& done, int elapsed, const platform::Surface& oldPicture,
                           const platform::Surface& newPicture, platform::Surface& frame,
                           const platform::Rect& area) = 0;

protected:
    // The elapsed time limited to 0..duration; sets `done` at the end.
    int settle(bool& done, int elapsed) const;
    // The entry of a position table (one entry per 5 ms) for a settled elapsed time.
    static int positionAt(const std::vector<int>& table, int elapsed);

private:
    int duration_;
};

// ---- slide ----

// The new screen pushes the old one out sideways: direction 0 brings it in from the
// right, 1 from the left.
class SlideScreenAnimation : public ScreenAnimation {
public:
    SlideScreenAnimation(int durationMs, int direction, int areaWidth);
    void drawFrame(bool& done, int elapsed, const platform::Surface& oldPicture,
                   const platform::Surface& newPicture, platform::Surface& frame,
                   const platform::Rect& area) override;

    const std::vector<int>& positions() const { return positions_; }

private:
    std::vector<int> positions_;
    int direction_;
};

// ---- slide-and-fade, fade ----

// The new picture rises from the bottom of the area while fading in over the old one
// (dialogs opening).
class SlideFadeInOutAnimation : public ScreenAnimation {
public:
    SlideFadeInOutAnimation(int durationMs, int areaHeight);
    void drawFrame(bool& done, int elapsed, const platform::Surface& oldPicture,
                   const platform::Surface& newPicture, platform::Surface& frame,
                   const platform::Rect& area) override;

protected:
    // For the fade, whose table stays at the full height.
    SlideFadeInOutAnimation(int durationMs, std::vector<int> heights);

private:
    std::vector<int> heights_;
};

// The whole area cross-fades from the old picture to the new one.
class FadeInOutAnimation : public SlideFadeInOutAnimation {
public:
    FadeInOutAnimation(int durationMs, int windowHeight);
};

// ---- switch ----

// A perspective card swap over "switch.background". Direction 1: the old card swings away
// to the right while the new one comes in from the left; direction 0 mirrors it.
class SwitchScreenAnimation : public ScreenAnimation {
public:
    // The greatest skew: how many pixels the far edge of a turned card loses at the top
    // and at the bottom, and how much narrower the card gets.
    static constexpr int maxSkew = 150;

    SwitchScreenAnimation(int durationMs, int direction, int areaWidth,
                          const Background& background);
    void drawFrame(bool& done, int elapsed, const platform::Surface& oldPicture,
                   const platform::Surface& newPicture, platform::Surface& frame,
                   const platform::Rect& area) override;

private:
    // The card of a picture at a horizontal position: a positive skew shortens the left
    // edge, a negative one the right edge, and the card is narrower by the skew.
    static Card cardAt(const platform::Surface& picture, const platform::Rect& area, int position,
                       int skew);

    std::vector<int> oldPositions_, oldSkews_, newPositions_, newSkews_;
    CardFrame cards_;
};

// ---- flip ----

// The old picture narrows toward the vertical centre line during the first half, then
// the new one widens from it during the second half, over "flip.background". Every row
// is its picture row squeezed sideways: the half turning away is squeezed more than the
// near one, so the picture seems to turn. Direction 0 turns the right half away first,
// direction 1 the left one.
class FlipScreenAnimation : public ScreenAnimation {
public:
    // How much of the card's width the far half gives up to the near one at the edge-on
    // moment, in 1/4096 of that width.
    static constexpr int farSqueeze = 600;

    FlipScreenAnimation(int durationMs, int direction, const Background& background);
    void drawFrame(bool& done, int elapsed, const platform::Surface& oldPicture,
                   const platform::Surface& newPicture, platform::Surface& frame,
                   const platform::Rect& area) override;

    // The drawn width at a settled elapsed time in 1/4096 of the area width: the cosine
    // of the turn, so the card slows down as it shows its edge.
    int scaleAt(int elapsed) const;

    // The drawn columns of the card at a settled elapsed time, relative to the area, and
    // where its halves meet.
    struct Span {
        int left = 0;
        int middle = 0;
        int right = 0;
    };
    Span spanAt(int elapsed, int areaWidth) const;

private:
    int direction_;
    TransitionBackdrop backdrop_;
};

// ---- genie ----

// The new picture grows out of a source rectangle (the control a menu comes from) over
// the old picture: until 60 % of the duration the rectangle grows linearly to the full
// height and half the remaining width; then the rows stretch to the full width, those
// level with the source first, so the picture flows out like a genie from its lamp.
class GenieAnimation : public ScreenAnimation {
public:
    GenieAnimation(int durationMs, const platform::Rect& source);
    void drawFrame(bool& done, int elapsed, const platform::Surface& oldPicture,
                   const platform::Surface& newPicture, platform::Surface& frame,
                   const platform::Rect& area) override;

    // The span of frame row `y` covered by the new picture at a settled elapsed time
    // (empty when the row is outside the growing shape), and the picture row it shows.
    struct RowSpan {
        int left = 0;
        int right = 0;
        int sourceRow = 0;
    };
    RowSpan rowSpan(int elapsed, const platform::Rect& area, int y) const;

private:
    // What the rows of one frame share: the clipped source, the shape at the end of the
    // first phase, the shape now, how far the second phase is (0..1) and the source's
    // centre row with the greatest distance from it to an edge of the area.
    struct Outline {
        platform::Rect from, middle, shape;
        double stretch = 0.0;
        double centre = 0.0;
        double reach = 0.0;
    };
    Outline outlineAt(int elapsed, const platform::Rect& area) const;
    static RowSpan spanOf(const Outline& outline, const platform::Rect& area, int y);

    platform::Rect source_;
};

// ---- reverse ----

// Plays the wrapped animation backwards with the pictures exchanged: closing a dialog
// shows its opening from the end to the start.
class ReverseAnimation : public ScreenAnimation {
public:
    explicit ReverseAnimation(std::unique_ptr<ScreenAnimation> wrapped);
    void drawFrame(bool& done, int elapsed, const platform::Surface& oldPicture,
                   const platform::Surface& newPicture, platform::Surface& frame,
                   const platform::Rect& area) override;

private:
    std::unique_ptr<ScreenAnimation> wrapped_;
};

} // namespace vantrel
