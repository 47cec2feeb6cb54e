#pragma once
// Drawing into an RGB565 surface through a clip region: fills (solid, translucent,
// two-colour gradients), copies (plain, inverted, alpha-masked, stretched), pens for
// outlines and lines. Nothing is ever written outside the clip or the surface.
//
// The whole-frame blends of the screen transitions sit beside the painter as free
// functions: they always cover whole frames and need no clip.

#include "platform/gfx/ClipRegion.h"
#include "platform/gfx/Surface.h"

#include <cstdint>

namespace vantrel::platform {

// The raster codes images are drawn with.
enum class RasterOp { Copy, InvertedCopy };

enum class GradientDirection { TopToBottom, LeftToRight };

// A solid pen. Lines are `width` pixels thick, centred on the line; outlines lie inside
// their rectangle.
struct Pen {
    Colour colour = 0;
    int width = 1;
};

class Painter {
public:
    // Draws into `target`, clipped to its bounds until told otherwise.
    explicit Painter(Surface& target);

    Surface& target() { return target_; }
    const ClipRegion& clip() const { return clip_; }
    // Replaces the clip; it is always kept inside the surface.
    void setClip(const Rect& rect);
    void setClip(const ClipRegion& region);
    void intersectClip(const Rect& rect);

    void fillSolid(const Rect& rect, Colour colour);
    // Each pixel moves alpha/256 of the way toward the colour (alpha limited to 0..256).
    void fillAlpha(const Rect& rect, Colour colour, int alpha);
    // A two-colour gradient over the whole of `rect` (the first row or column has exactly
    // `from`, the last exactly `to`); only the clipped part is drawn.
    void fillGradient(const Rect& rect, Colour from, Colour to, GradientDirection direction);

    // Copies `from` (a part of `source`) with its top-left corner at `to`.
    void copy(const Surface& source, const Rect& from, Point to, RasterOp op = RasterOp::Copy);
    // Blends `from` at `to` through an 8-bit alpha mask laid out like the source's pixels
    // (`maskStride` bytes per row, one byte per pixel).
    void copyMasked(const Surface& source, const uint8_t* mask, int maskStride, const Rect& from,
                    Point to);
    // Stretches `from` onto `to` picking the nearest source pixel; equal sizes copy rows.
    void stretch(const Surface& source, const Rect& from, const Rect& to,
                 RasterOp op = RasterOp::Copy);

    // The outline of `rect`, pen.width pixels thick, inside the rectangle.
    void drawOutline(const Rect& rect, const Pen& pen);
    // A line from `from` to `to`, the last point excluded as the phone's pens did.
    void drawLine(Point from, Point to, const Pen& pen);

private:
    template <typename Fn> void forEachVisible(const Rect& rect, Fn&& fn);

    Surface& target_;
    ClipRegion clip_;
};

// Mixes two frames into `dst`: alpha 0 gives `from`, 256 gives `to`. Works on the area the
// three surfaces share; `dst` may be one of the other two.
void blendFrames(Surface& dst, const Surface& from, const Surface& to, int alpha);

// Moves the whole surface alpha/256 of the way toward `colour`.
void tintSurface(Surface& target, Colour colour, int alpha);

} // namespace vantrel::platform
