#include "lists/TransitionBackdrop.h"

#include "platform/gfx/PixelKernels.h"
#include "platform/gfx/WarpKernels.h"
#include "settings/Background.h"

#include <cstring>

namespace vantrel {

using platform::Pixel565;
using platform::Surface;

void TransitionBackdrop::prepare(const platform::Rect& area) {
    if (area.width() == width_ && area.height() == height_)
        return;
    width_ = area.width();
    height_ = area.height();
    transposed_.resize(0, 0);
    if (auto plain = background_->plainColour()) {
        colour_ = platform::toPixel565(*plain);
        picture_.resize(0, 0);
        return;
    }
    colour_.reset();
    // Over black, as a translucent backdrop would be over an empty frame.
    picture_.resize(width_, height_);
    Surface& drawn = picture_.surface();
    for (int y = 0; y < height_; ++y)
        platform::kernels::fillRow(drawn.row(y), width_, 0);
    background_->draw(drawn, drawn.bounds(), drawn.bounds());
}

void TransitionBackdrop::fillRow(Pixel565* out, int y, int from, int to) const {
    if (to <= from)
        return;
    if (colour_)
        platform::kernels::fillRow(out + from, to - from, *colour_);
    else
        std::memcpy(out + from, picture_.surface().row(y) + from,
                    static_cast<size_t>(to - from) * sizeof(Pixel565));
}

void TransitionBackdrop::fillColumn(Pixel565* out, int x, int from, int to) {
    if (to <= from)
        return;
    if (colour_) {
        platform::kernels::fillRow(out + from, to - from, *colour_);
        return;
    }
    if (transposed_.surface().isEmpty()) {
        const Surface& picture = picture_.surface();
        transposed_.resize(height_, width_);
        platform::kernels::transposePixels(picture.row(0), picture.stride(),
                                           transposed_.surface().row(0),
                                           transposed_.surface().stride(), width_, height_);
    }
    std::memcpy(out + from, transposed_.surface().row(x) + from,
                static_cast<size_t>(to - from) * sizeof(Pixel565));
}

} // namespace vantrel
