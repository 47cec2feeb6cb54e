#include "platform/text/CoverageBlend.h"

namespace vantrel::platform {

void blendCoverage(Surface& surface, const Rect& clip, Point at, const CoverageMask& mask,
                   Colour colour) {
    const Rect target = Rect::fromSize(at.x, at.y, mask.width, mask.height)
                            .intersected(clip)
                            .intersected(surface.bounds());
    if (target.isEmpty() || mask.coverage == nullptr)
        return;

    // NOTE: glyph masks are mostly 0 (outside the strokes) or 255 (inside them), so those
    // two cases skip the arithmetic; only the anti-aliased edge pixels pay for the blend.
    const Pixel565 solid = toPixel565(colour);
    const int cr = solid >> 11, cg = (solid >> 5) & 0x3F, cb = solid & 0x1F;
    for (int y = target.top; y < target.bottom; ++y) {
        const uint8_t* src =
            mask.coverage + static_cast<ptrdiff_t>(y - at.y) * mask.pitch + (target.left - at.x);
        Pixel565* dst = surface.row(y) + target.left;
        for (int n = target.width(); n > 0; --n, ++src, ++dst) {
            const int a = *src;
            if (a == 0)
                continue;
            if (a == 255) {
                *dst = solid;
                continue;
            }
            const int w = coverageWeight(a);
            const int d = *dst;
            const int dr = d >> 11, dg = (d >> 5) & 0x3F, db = d & 0x1F;
            const int r = dr + (((cr - dr) * w) >> 8);
            const int g = dg + (((cg - dg) * w) >> 8);
            const int b = db + (((cb - db) * w) >> 8);
            *dst = static_cast<Pixel565>((r << 11) | (g << 5) | b);
        }
    }
}

} // namespace vantrel::platform
