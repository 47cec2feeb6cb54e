#pragma once
// Points, sizes and rectangles in window pixels. A rectangle includes its left and top
// edges and excludes its right and bottom ones, so width = right - left.

#include <algorithm>
#include <cstdint>

namespace vantrel::platform {

// Settings and scripts may hold any 32-bit number. The drawing code keeps coordinates
// within +-drawingLimit, far beyond any screen, so the few sums and differences it takes
// of them never overflow; the rectangle arithmetic below saturates for the same reason.
constexpr int drawingLimit = 1 << 24;

constexpr int saturated(int64_t value) {
    return static_cast<int>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}
constexpr int limitedForDrawing(int64_t value) {
    return static_cast<int>(std::clamp<int64_t>(value, -drawingLimit, drawingLimit));
}

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    int width = 0;
    int height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    static constexpr Rect fromSize(int x, int y, int w, int h) {
        return {x, y, saturated(int64_t(x) + w), saturated(int64_t(y) + h)};
    }

    constexpr int width() const { return saturated(int64_t(right) - left); }
    constexpr int height() const { return saturated(int64_t(bottom) - top); }
    constexpr bool isEmpty() const { return right <= left || bottom <= top; }
    constexpr bool contains(Point p) const {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    constexpr Rect offsetBy(int dx, int dy) const {
        return {saturated(int64_t(left) + dx), saturated(int64_t(top) + dy),
                saturated(int64_t(right) + dx), saturated(int64_t(bottom) + dy)};
    }
    // Every edge brought within +-drawingLimit.
    constexpr Rect limitedForDrawing() const {
        return {platform::limitedForDrawing(left), platform::limitedForDrawing(top),
                platform::limitedForDrawing(right), platform::limitedForDrawing(bottom)};
    }
    // The common part; empty (all zero) when the two do not overlap.
    constexpr Rect intersected(const Rect& o) const {
        Rect r{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right),
               std::min(bottom, o.bottom)};
        return r.isEmpty() ? Rect{} : r;
    }
    // The smallest rectangle holding both; an empty side does not count.
    constexpr Rect united(const Rect& o) const {
        if (isEmpty())
            return o;
        if (o.isEmpty())
            return *this;
        return {std::min(left, o.left), std::min(top, o.top), std::max(right, o.right),
                std::max(bottom, o.bottom)};
    }
    friend bool operator==(const Rect&, const Rect&) = default;
};

} // namespace vantrel::platform
