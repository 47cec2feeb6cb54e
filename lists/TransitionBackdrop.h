#pragma once
// What the switch and flip transitions show around their cards: a background drawn over
// the animated area, handed out a row or (transposed) a column at a time. A plain fill is
// never drawn at all, only filled in.

#include "platform/core/Geometry.h"
#include "platform/gfx/ScratchSurface.h"
#include "platform/gfx/Surface.h"

#include <optional>

namespace vantrel {

class Background;

class TransitionBackdrop {
public:
    explicit TransitionBackdrop(const Background& background) : background_(&background) {}

    // Makes the backdrop for an area of that size; the same size again keeps it.
    void prepare(const platform::Rect& area);

    // Pixels [from, to) of row y of the area (both relative to the area) into out[from..to).
    void fillRow(platform::Pixel565* out, int y, int from, int to) const;
    // Rows [from, to) of column x of the area into out[from..to).
    void fillColumn(platform::Pixel565* out, int x, int from, int to);

private:
    const Background* background_;
    int width_ = -1;
    int height_ = -1;
    // The one colour of a plain backdrop, else its picture (over black, in the area's own
    // coordinates) and, once a column was asked for, the picture transposed.
    std::optional<platform::Pixel565> colour_;
    platform::ScratchSurface picture_;
    platform::ScratchSurface transposed_;
};

} // namespace vantrel
