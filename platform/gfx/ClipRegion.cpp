#include "platform/gfx/ClipRegion.h"

#include <algorithm>

namespace vantrel::platform {

namespace {

// The up to four pieces of `rect` that lie outside `hole`.
void subtract(const Rect& rect, const Rect& hole, std::vector<Rect>& out) {
    Rect common = rect.intersected(hole);
    if (common.isEmpty()) {
        out.push_back(rect);
        return;
    }
    const Rect pieces[] = {
        {rect.left, rect.top, rect.right, common.top},
        {rect.left, common.bottom, rect.right, rect.bottom},
        {rect.left, common.top, common.left, common.bottom},
        {common.right, common.top, rect.right, common.bottom},
    };
    for (const Rect& piece : pieces)
        if (!piece.isEmpty())
            out.push_back(piece);
}

} // namespace

void ClipRegion::unite(const Rect& rect) {
    if (rect.isEmpty())
        return;
    std::vector<Rect> fresh{rect};
    for (const Rect& existing : rects_) {
        std::vector<Rect> outside;
        for (const Rect& piece : fresh)
            subtract(piece, existing, outside);
        fresh = std::move(outside);
        if (fresh.empty())
            return;
    }
    rects_.insert(rects_.end(), fresh.begin(), fresh.end());
}

void ClipRegion::intersect(const Rect& rect) {
    std::vector<Rect> kept;
    for (const Rect& existing : rects_)
        if (Rect common = existing.intersected(rect); !common.isEmpty())
            kept.push_back(common);
    rects_ = std::move(kept);
}

bool ClipRegion::contains(Point p) const {
    return std::any_of(rects_.begin(), rects_.end(), [p](const Rect& r) { return r.contains(p); });
}

Rect ClipRegion::bounds() const {
    Rect all;
    for (const Rect& r : rects_)
        all = all.united(r);
    return all;
}

} // namespace vantrel::platform
