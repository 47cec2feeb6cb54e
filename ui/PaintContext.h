#pragma once
// What every paint call draws into: the window's off-screen RGB565 buffer. Controls
// write through the surface (fills, text, images, or pixel by pixel for blends) and
// never touch the window itself.

#include "platform/gfx/Surface.h"

namespace vantrel {

struct PaintContext {
    platform::Surface& surface;
    int width = 0;
    int height = 0;
    // Set to 0 by the host before a pass; every container adds one for each visible
    // child it paints, so tests and benchmarks can see how much of the tree was drawn.
    int paintCount = 0;
};

} // namespace vantrel
