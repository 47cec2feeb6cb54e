#pragma once
// Blending of anti-aliased coverage (a glyph's grey bitmap) into an RGB565 surface with
// one colour. This is the inner loop of every text draw, so it is kept apart and small.

#include "platform/core/Geometry.h"
#include "platform/gfx/Surface.h"

#include <cstdint>

namespace vantrel::platform {

// An 8-bit coverage mask: 0 leaves the pixel, 255 paints the colour. `pitch` is the byte
// distance between rows (0 repeats the first row, handy for solid strokes).
struct CoverageMask {
    const uint8_t* coverage = nullptr;
    int width = 0;
    int height = 0;
    int pitch = 0;
};

// Blends `mask` with its top-left corner at `at` into `surface`, touching only pixels
// inside `clip` and the surface. Each channel becomes D + ((C - D) * a) >> 8 with the
// coverage scaled so that 255 reaches the colour exactly.
void blendCoverage(Surface& surface, const Rect& clip, Point at, const CoverageMask& mask,
                   Colour colour);

// The weight used for a coverage value: 0..255 mapped onto 0..256 so full coverage gives
// the colour itself and not one step short of it.
constexpr int coverageWeight(int coverage) {
    return coverage + (coverage >> 7);
}

} // namespace vantrel::platform
