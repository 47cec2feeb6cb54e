#pragma once
// A clip region made of rectangles: what a repaint may touch. The rectangles are kept
// disjoint, so drawing through each of them in turn never touches a pixel twice (which
// matters for translucent fills).

#include "platform/core/Geometry.h"

#include <vector>

namespace vantrel::platform {

class ClipRegion {
public:
    ClipRegion() = default;
    explicit ClipRegion(const Rect& rect) { unite(rect); }

    // Adds the rectangle; the parts already covered are not added twice.
    void unite(const Rect& rect);
    // Keeps only the parts inside the rectangle.
    void intersect(const Rect& rect);

    bool isEmpty() const { return rects_.empty(); }
    bool contains(Point p) const;
    // The smallest rectangle holding the whole region.
    Rect bounds() const;
    const std::vector<Rect>& rects() const { return rects_; }

private:
    std::vector<Rect> rects_;
};

} // namespace vantrel::platform
