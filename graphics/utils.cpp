#include "graphics/utils.h"

#include "platform/core/Debug.h"

#include <algorithm>

namespace vantrel {

using namespace platform;

RasterOp rasterOpFor(uint32_t rasterCode) {
    return rasterCode == invertedCopyRasterCode ? RasterOp::InvertedCopy : RasterOp::Copy;
}

Size fitSize(int maxWidth, int maxHeight, int width, int height) {
    if (maxWidth <= 0 || maxHeight <= 0 || width <= 0 || height <= 0)
        return {};
    // The width that goes with the full height decides which side touches its maximum.
    // The other side keeps at least one pixel, so a needle-thin picture still shows as a
    // line inside the box instead of vanishing.
    const int64_t widthAtFullHeight = static_cast<int64_t>(width) * maxHeight / height;
    Size result;
    if (widthAtFullHeight <= maxWidth)
        result = {static_cast<int>(std::max<int64_t>(widthAtFullHeight, 1)), maxHeight};
    else
        result = {maxWidth, static_cast<int>(std::max<int64_t>(
                                static_cast<int64_t>(height) * maxWidth / width, 1))};
    VT_DEBUGCHK("utils", result.width <= maxWidth && result.height <= maxHeight);
    return result;
}

void fillSolid(Surface& surface, const Rect& rect, const Rect& clip, Colour colour) {
    Painter painter(surface);
    painter.setClip(clip);
    painter.fillSolid(rect, colour);
}

void fillAlpha(Surface& surface, const Rect& rect, const Rect& clip, Colour colour, int alpha) {
    Painter painter(surface);
    painter.setClip(clip);
    painter.fillAlpha(rect, colour, alpha);
}

} // namespace vantrel
