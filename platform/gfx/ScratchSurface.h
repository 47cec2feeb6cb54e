#pragma once
// A surface lent for the length of a job and taken back for the next one. A job that
// runs again and again (a screen transition) then finds its memory ready, instead of
// asking the system for fresh pages and clearing them every time. The memory is kept
// per thread; a lent surface keeps whatever its last borrower left in it.

#include "platform/gfx/Surface.h"

#include <vector>

namespace vantrel::platform {

class ScratchSurface {
public:
    ScratchSurface() = default;
    ~ScratchSurface() { giveBack(); }
    ScratchSurface(ScratchSurface&& other) noexcept { *this = std::move(other); }
    ScratchSurface& operator=(ScratchSurface&& other) noexcept;
    ScratchSurface(const ScratchSurface&) = delete;
    ScratchSurface& operator=(const ScratchSurface&) = delete;

    // Makes this a `width` x `height` surface of unspecified contents; the same size
    // again keeps the pixels, and an empty size gives the memory back.
    void resize(int width, int height);

    Surface& surface() { return surface_; }
    const Surface& surface() const { return surface_; }

private:
    void giveBack();

    std::vector<Pixel565> pixels_;
    Surface surface_;
};

} // namespace vantrel::platform
