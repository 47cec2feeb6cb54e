#pragma once
// The screen transitions: each draws one frame of the change from the old picture of the
// window to the new one, given the milliseconds since the start. Pictures are whole-window
// RGB565 surfaces of one size; a frame touches only the pixels of its area and covers
// every one of them, so a frame depends on nothing but the elapsed time and the pictures
// (which is what lets a reversed animation replay the forward frames backwards).
//
// Index: the base, slide, slide-and-fade and fade, switch, flip, genie, reverse.

#include "platform/core/Geometry.h"
#include "platform/gfx/Surface.h"

#include <initializer_list>
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

// ---- the pieces of switch and flip ----

// Draws a picture's area as a card turned about a vertical axis: the card spans `width`
// columns from `left` (relative to the area), and its left and right edges are shortened
// by their insets at the top and at the bottom. Columns are sampled in perspective (the
// far half of the card is squeezed), rows by a 16.16 step per column; the per-column maps
// are kept between frames so that drawing never allocates once the card has been drawn.
class CardWarp {
public:
    // A `front` card, drawn over the same area just before, keeps its pixels: this card
    // goes behind it.
    void draw(const platform::Surface& picture, platform::Surface& frame,
              const platform::Rect& area, int left, int width, int leftInset, int rightInset,
              const CardWarp* front = nullptr);

    // The columns [from, to) of one row of the area (relative to it) that the last card
    // drawn covered; empty when the card missed the row.
    struct Span {
        int from = 0;
        int to = 0;
    };
    // One span per row of the area of the last draw.
    const std::vector<Span>& spans() const { return spans_; }

private:
    // Per column of the area: the picture column, the drawn rows [top, bottom), the 16.16
    // row step, the 16.16 picture row of the row being drawn and its pixel in the picture.
    std::vector<int> sourceColumn_, top_, bottom_, rowStep_, row_, pixel_;
    std::vector<Span> spans_;
};

// A backdrop behind the turning cards: the background drawn once into a picture of the
// frame's size, then copied row by row into every frame around a card.
class TransitionBackdrop {
public:
    explicit TransitionBackdrop(const Background& background) : background_(&background) {}
    // Covers `area` of `frame` with the backdrop, except where the cards were just drawn.
    void fillAround(platform::Surface& frame, const platform::Rect& area,
                    std::initializer_list<const CardWarp*> cards);

private:
    const Background* background_;
    platform::Surface picture_;
    platform::Rect drawnFor_;
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
    // A positive skew shortens the left edge, a negative one the right edge.
    void drawCard(CardWarp& warp, const platform::Surface& picture, platform::Surface& frame,
                  const platform::Rect& area, int position, int skew, const CardWarp* front);

    std::vector<int> oldPositions_, oldSkews_, newPositions_, newSkews_;
    TransitionBackdrop backdrop_;
    CardWarp oldWarp_, newWarp_;
};

// ---- flip ----

// The old picture narrows toward the vertical centre line during the first half, then
// the new one widens from it during the second half, over "flip.background". The edge
// turning away is shortened a little; direction 0 turns the right edge away first,
// direction 1 the left one.
class FlipScreenAnimation : public ScreenAnimation {
public:
    // How far the edge turning away is shortened at the edge-on moment, in 1/4096 of
    // the area height, at the top and at the bottom.
    static constexpr int edgeInset = 256;

    FlipScreenAnimation(int durationMs, int direction, const Background& background);
    void drawFrame(bool& done, int elapsed, const platform::Surface& oldPicture,
                   const platform::Surface& newPicture, platform::Surface& frame,
                   const platform::Rect& area) override;

    // The drawn width at a settled elapsed time in 1/4096 of the area width: the cosine
    // of the turn, so the card slows down as it shows its edge.
    int scaleAt(int elapsed) const;

private:
    int direction_;
    TransitionBackdrop backdrop_;
    CardWarp warp_;
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
    // The picture column of each pixel of the last stretched row, kept for the next rows
    // of the same width.
    std::vector<int> columns_;
    int columnsCount_ = 0;
    int columnsStep_ = 0;
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
