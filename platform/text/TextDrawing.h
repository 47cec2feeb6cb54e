#pragma once
// Drawing and measuring text with a `FontFace` into an RGB565 surface: one run at a point,
// or formatted into a rectangle (alignment, wrapping, calculate-rectangle). The text is
// always drawn with a transparent background in one colour.

#include "platform/core/Geometry.h"
#include "platform/gfx/Surface.h"
#include "platform/text/FontFace.h"

#include <string_view>

namespace vantrel::platform {

// Format flags for `drawFormatted`, with the phone's numeric values so that settings and
// controls pass their flags straight through.
namespace TextFormat {
constexpr unsigned Left = 0x0;
constexpr unsigned Centre = 0x1;
constexpr unsigned Right = 0x2;
constexpr unsigned VerticalCentre = 0x4;  // the whole block, wrapped or not
constexpr unsigned Bottom = 0x8;          // the whole block, wrapped or not
constexpr unsigned WordBreak = 0x10;      // wrap at line-break opportunities
constexpr unsigned SingleLine = 0x20;     // line feeds do not start new lines
constexpr unsigned NoClip = 0x100;        // may draw outside the rectangle (not the clip)
constexpr unsigned CalculateRect = 0x400; // measure only, draw nothing
constexpr unsigned NoPrefix = 0x800;      // "&" is drawn as is instead of marking a mnemonic
} // namespace TextFormat

// The width of a run and the font's line height.
Size measureRun(const FontFace& font, std::u16string_view text);

// Draws one run with the top-left corner of its line at `origin` (the baseline lies
// `font.ascent()` below it), touching only pixels inside `clip`.
void drawRun(Surface& surface, const Rect& clip, Point origin, const FontFace& font,
             std::u16string_view text, Colour colour);

// Lays the text out in `rect` per `flags` and draws it, clipped to `clip` and, without
// NoClip, to `rect`. Returns the rectangle the text block occupies. With CalculateRect it
// draws nothing and returns the block's size anchored at the rectangle's top-left corner,
// as the phone did; `surface` may be null then (or whenever nothing is to be drawn).
Rect drawFormatted(Surface* surface, const Rect& rect, const Rect& clip, const FontFace& font,
                   std::u16string_view text, Colour colour, unsigned flags);

} // namespace vantrel::platform
