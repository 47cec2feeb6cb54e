#include "platform/gfx/Painter.h"

#include "platform/gfx/PixelKernels.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

namespace vantrel::platform {

namespace {

// Limits `from` to the source and moves `to` along, so callers may hand any rectangle.
bool clampSource(const Surface& source, Rect& from, Point& to) {
    Rect inside = from.intersected(source.bounds());
    if (inside.isEmpty())
        return false;
    to.x += inside.left - from.left;
    to.y += inside.top - from.top;
    from = inside;
    return true;
}

// True when the two surfaces share pixel memory, so a copy must mind its row order.
bool sharesMemory(const Surface& a, const Surface& b) {
    if (a.isEmpty() || b.isEmpty())
        return false;
    const Pixel565* aBegin = a.row(0);
    const Pixel565* aEnd = a.row(a.height() - 1) + a.width();
    const Pixel565* bBegin = b.row(0);
    const Pixel565* bEnd = b.row(b.height() - 1) + b.width();
    std::less<const Pixel565*> before;
    return before(aBegin, bEnd) && before(bBegin, aEnd);
}

int interpolate(int a, int b, int i, int n) {
    return n <= 1 ? a : a + static_cast<int>(static_cast<int64_t>(b - a) * i / (n - 1));
}

Pixel565 gradientPixel(Colour from, Colour to, int i, int n) {
    return toPixel565(rgb(interpolate(redOf(from), redOf(to), i, n),
                          interpolate(greenOf(from), greenOf(to), i, n),
                          interpolate(blueOf(from), blueOf(to), i, n)));
}

// The nearest source index for each destination index, sampling at pixel centres.
int nearestSource(int index, int sourceLength, int targetLength) {
    return static_cast<int>((2 * static_cast<int64_t>(index) + 1) * sourceLength /
                            (2 * static_cast<int64_t>(targetLength)));
}

} // namespace

Painter::Painter(Surface& target) : target_(target), clip_(target.bounds()) {}

void Painter::setClip(const Rect& rect) {
    setClip(ClipRegion(rect));
}

void Painter::setClip(const ClipRegion& region) {
    clip_ = region;
    clip_.intersect(target_.bounds());
}

void Painter::intersectClip(const Rect& rect) {
    clip_.intersect(rect);
}

template <typename Fn> void Painter::forEachVisible(const Rect& rect, Fn&& fn) {
    for (const Rect& piece : clip_.rects())
        if (Rect visible = piece.intersected(rect); !visible.isEmpty())
            fn(visible);
}

void Painter::fillSolid(const Rect& rect, Colour colour) {
    const Pixel565 pixel = toPixel565(colour);
    forEachVisible(rect, [&](const Rect& v) {
        // NOTE: the 16-bit fill stays a scalar loop at -O2; one filled row copied down the
        // others goes through memcpy's wide stores, several times faster on a page-wide
        // fill (backgrounds, bubbles) than filling each row.
        Pixel565* first = target_.row(v.top) + v.left;
        std::fill_n(first, v.width(), pixel);
        const size_t bytes = static_cast<size_t>(v.width()) * sizeof(Pixel565);
        for (int y = v.top + 1; y < v.bottom; ++y)
            std::memcpy(target_.row(y) + v.left, first, bytes);
    });
}

void Painter::fillAlpha(const Rect& rect, Colour colour, int alpha) {
    if (alpha <= 0)
        return;
    forEachVisible(rect, [&](const Rect& v) {
        // Whole rows of a contiguous surface are one long row to the kernel.
        if (v.width() == target_.stride()) {
            kernels::alphaFillRow(target_.row(v.top), v.width() * v.height(), colour, alpha);
            return;
        }
        for (int y = v.top; y < v.bottom; ++y)
            kernels::alphaFillRow(target_.row(y) + v.left, v.width(), colour, alpha);
    });
}

void Painter::fillGradient(const Rect& rect, Colour from, Colour to, GradientDirection direction) {
    if (direction == GradientDirection::TopToBottom) {
        forEachVisible(rect, [&](const Rect& v) {
            for (int y = v.top; y < v.bottom; ++y)
                std::fill_n(target_.row(y) + v.left, v.width(),
                            gradientPixel(from, to, y - rect.top, rect.height()));
        });
        return;
    }
    forEachVisible(rect, [&](const Rect& v) {
        Pixel565* first = target_.row(v.top) + v.left;
        for (int x = v.left; x < v.right; ++x)
            first[x - v.left] = gradientPixel(from, to, x - rect.left, rect.width());
        for (int y = v.top + 1; y < v.bottom; ++y)
            std::memcpy(target_.row(y) + v.left, first, v.width() * sizeof(Pixel565));
    });
}

void Painter::copy(const Surface& source, const Rect& fromRect, Point to, RasterOp op) {
    Rect from = fromRect;
    if (!clampSource(source, from, to))
        return;
    const bool bottomUp = sharesMemory(source, target_) && to.y > from.top;
    forEachVisible(Rect::fromSize(to.x, to.y, from.width(), from.height()), [&](const Rect& v) {
        const int sx = from.left + (v.left - to.x);
        const int syOffset = from.top - to.y;
        for (int i = 0; i < v.height(); ++i) {
            const int y = bottomUp ? v.bottom - 1 - i : v.top + i;
            const Pixel565* src = source.row(y + syOffset) + sx;
            Pixel565* dst = target_.row(y) + v.left;
            if (op == RasterOp::InvertedCopy)
                kernels::invertCopyRow(dst, src, v.width());
            else
                std::memmove(dst, src, v.width() * sizeof(Pixel565));
        }
    });
}

void Painter::copyMasked(const Surface& source, const uint8_t* mask, int maskStride,
                         const Rect& fromRect, Point to) {
    Rect from = fromRect;
    if (!clampSource(source, from, to))
        return;
    forEachVisible(Rect::fromSize(to.x, to.y, from.width(), from.height()), [&](const Rect& v) {
        const int sx = from.left + (v.left - to.x);
        for (int y = v.top; y < v.bottom; ++y) {
            const int sy = from.top + (y - to.y);
            kernels::maskBlendRow(target_.row(y) + v.left, source.row(sy) + sx,
                                  mask + static_cast<ptrdiff_t>(sy) * maskStride + sx, v.width());
        }
    });
}

void Painter::stretch(const Surface& source, const Rect& from, const Rect& to, RasterOp op) {
    if (from.isEmpty() || to.isEmpty() || source.isEmpty())
        return;
    if (from.width() == to.width() && from.height() == to.height()) {
        copy(source, from, {to.left, to.top}, op);
        return;
    }
    const Pixel565 invert = op == RasterOp::InvertedCopy ? 0xFFFF : 0;
    std::vector<int> columns;
    forEachVisible(to, [&](const Rect& v) {
        columns.resize(v.width());
        for (int x = v.left; x < v.right; ++x) {
            int sx = from.left + nearestSource(x - to.left, from.width(), to.width());
            columns[x - v.left] = std::clamp(sx, 0, source.width() - 1);
        }
        for (int y = v.top; y < v.bottom; ++y) {
            int sy = from.top + nearestSource(y - to.top, from.height(), to.height());
            const Pixel565* src = source.row(std::clamp(sy, 0, source.height() - 1));
            Pixel565* dst = target_.row(y) + v.left;
            for (int i = 0; i < v.width(); ++i)
                dst[i] = src[columns[i]] ^ invert;
        }
    });
}

void Painter::drawOutline(const Rect& rect, const Pen& pen) {
    const int w = pen.width;
    if (w <= 0 || rect.isEmpty())
        return;
    // Past this test w is under half the rectangle, so the edges below stay inside it.
    if (int64_t{2} * w >= rect.width() || int64_t{2} * w >= rect.height()) {
        fillSolid(rect, pen.colour);
        return;
    }
    fillSolid({rect.left, rect.top, rect.right, rect.top + w}, pen.colour);
    fillSolid({rect.left, rect.bottom - w, rect.right, rect.bottom}, pen.colour);
    fillSolid({rect.left, rect.top + w, rect.left + w, rect.bottom - w}, pen.colour);
    fillSolid({rect.right - w, rect.top + w, rect.right, rect.bottom - w}, pen.colour);
}

void Painter::drawLine(Point from, Point to, const Pen& pen) {
    const int w = pen.width;
    if (w <= 0 || from == to)
        return;
    const int half = w / 2;
    // Straight lines are one rectangle; the end point is left out. The edges saturate:
    // a line at the end of the int range only has to touch nothing.
    auto edge = [](int64_t value) { return saturated(value); };
    if (from.y == to.y) {
        int left = from.x < to.x ? from.x : edge(int64_t{to.x} + 1);
        int right = from.x < to.x ? to.x : edge(int64_t{from.x} + 1);
        fillSolid({left, edge(int64_t{from.y} - half), right, edge(int64_t{from.y} - half + w)},
                  pen.colour);
        return;
    }
    if (from.x == to.x) {
        int top = from.y < to.y ? from.y : edge(int64_t{to.y} + 1);
        int bottom = from.y < to.y ? to.y : edge(int64_t{from.y} + 1);
        fillSolid({edge(int64_t{from.x} - half), top, edge(int64_t{from.x} - half + w), bottom},
                  pen.colour);
        return;
    }
    // Other lines step one pixel at a time along their longer axis, the other coordinate
    // rounded to the nearest pixel, stamping a square of the pen's width. Only the steps
    // that can touch the clip are taken, so a line of any length costs what it shows.
    const bool alongX = std::abs(static_cast<int64_t>(to.x) - from.x) >=
                        std::abs(static_cast<int64_t>(to.y) - from.y);
    const int64_t major = alongX ? from.x : from.y;
    const int64_t minor = alongX ? from.y : from.x;
    const int64_t majorSpan = (alongX ? to.x : to.y) - major;
    const int64_t minorSpan = (alongX ? to.y : to.x) - minor;
    const int64_t steps = std::abs(majorSpan);
    const int step = majorSpan > 0 ? 1 : -1;
    const Rect area = clip_.bounds();
    const int64_t low = (alongX ? area.left : area.top) - int64_t{w};
    const int64_t high = (alongX ? area.right : area.bottom) + int64_t{w};
    const int64_t first = std::max<int64_t>(0, step > 0 ? low - major : major - high);
    const int64_t last = std::min<int64_t>(steps - 1, step > 0 ? high - major : major - low);
    for (int64_t k = first; k <= last; ++k) {
        const auto m = static_cast<int>(major + step * k);
        const auto n =
            static_cast<int>(minor + std::llround(static_cast<long double>(minorSpan) * k / steps));
        const Point p = alongX ? Point{m, n} : Point{n, m};
        fillSolid(Rect::fromSize(saturated(int64_t{p.x} - half), saturated(int64_t{p.y} - half), w, w),
                  pen.colour);
    }
}

namespace {

// Runs `rowFn(dst, from, to, count)` over the rows the surfaces share, as one long row
// when their pixels are all contiguous (a window buffer and its snapshots are), which
// spares the vector loop its start and end on every row.
template <typename RowFn>
void forSharedRows(Surface& dst, const Surface& from, const Surface& to, RowFn&& rowFn) {
    const int width = std::min({dst.width(), from.width(), to.width()});
    const int height = std::min({dst.height(), from.height(), to.height()});
    if (width <= 0 || height <= 0)
        return;
    auto contiguous = [&](const Surface& s) { return s.stride() == width; };
    if (contiguous(dst) && contiguous(from) && contiguous(to)) {
        rowFn(dst.row(0), from.row(0), to.row(0), width * height);
        return;
    }
    for (int y = 0; y < height; ++y)
        rowFn(dst.row(y), from.row(y), to.row(y), width);
}

} // namespace

void blendFrames(Surface& dst, const Surface& from, const Surface& to, int alpha) {
    forSharedRows(dst, from, to, [alpha](Pixel565* d, const Pixel565* f, const Pixel565* t, int n) {
        kernels::mixRow(d, f, t, n, alpha);
    });
}

void tintSurface(Surface& target, Colour colour, int alpha) {
    forSharedRows(target, target, target,
                  [&](Pixel565* d, const Pixel565*, const Pixel565*, int n) {
                      kernels::alphaFillRow(d, n, colour, alpha);
                  });
}

} // namespace vantrel::platform
