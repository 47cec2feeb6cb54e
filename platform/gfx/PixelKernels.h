#pragma once
// The row loops every drawing call ends in: solid and translucent fills, the masked
// blend of prepared images, the mix of two frames and the inverted copy. They work on
// one row of RGB565 pixels at a time so that callers do the clipping once per row.
//
// All blends use one rule per 5-, 6- and 5-bit channel: D + ((S - D) * alpha) >> 8 with
// an arithmetic shift, alpha in 0..256. Black at alpha 128 over white gives 15, 31, 15.

#include "platform/gfx/Surface.h"

#include <cstdint>

namespace vantrel::platform::kernels {

// Every pixel set to `pixel`.
void fillRow(Pixel565* row, int count, Pixel565 pixel);

// Translucent fill: every pixel moves `alpha`/256 of the way toward `colour`.
void alphaFillRow(Pixel565* row, int count, Colour colour, int alpha);

// Per-pixel blend of `src` over `dst`: mask 0 keeps the destination, 255 copies the
// source, anything else blends with the mask value as alpha.
void maskBlendRow(Pixel565* dst, const Pixel565* src, const uint8_t* mask, int count);

// dst = from + (to - from) * alpha / 256 per channel; `dst` may be `from` or `to`.
void mixRow(Pixel565* dst, const Pixel565* from, const Pixel565* to, int count, int alpha);

// The inverted copy raster code: every bit of the source inverted.
void invertCopyRow(Pixel565* dst, const Pixel565* src, int count);

} // namespace vantrel::platform::kernels
