#pragma once
// Drawing helpers every control shares: fitting a picture's size into a box, solid and
// translucent rectangle fills clipped to the repainted area, and the mapping from the
// raster codes written in settings to the painter's.

#include "platform/core/Geometry.h"
#include "platform/gfx/Painter.h"
#include "platform/gfx/Surface.h"

#include <cstdint>

namespace vantrel {

// The raster codes of settings: plain copy and inverted copy.
inline constexpr uint32_t copyRasterCode = 0x00CC0020;
inline constexpr uint32_t invertedCopyRasterCode = 0x00330008;

// The painter's raster operation for a raster code; anything unknown copies.
platform::RasterOp rasterOpFor(uint32_t rasterCode);

// The largest size with the aspect ratio of width x height that fits maxWidth x
// maxHeight (one side equals its maximum). Empty inputs give an empty size.
platform::Size fitSize(int maxWidth, int maxHeight, int width, int height);

// An opaque fill of `rect`, only where it meets `clip`.
void fillSolid(platform::Surface& surface, const platform::Rect& rect, const platform::Rect& clip,
               platform::Colour colour);

// A translucent fill: each pixel moves alpha/256 of the way toward the colour (alpha
// limited to 0..256), only where `rect` meets `clip`.
void fillAlpha(platform::Surface& surface, const platform::Rect& rect, const platform::Rect& clip,
               platform::Colour colour, int alpha);

} // namespace vantrel
