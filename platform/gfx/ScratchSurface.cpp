#include "platform/gfx/ScratchSurface.h"

#include <algorithm>

namespace vantrel::platform {

namespace {

// Enough for the pictures of the largest transition with room to spare; beyond it,
// memory goes back to the system.
constexpr size_t sparesKept = 8;

std::vector<std::vector<Pixel565>>& spares() {
    static thread_local std::vector<std::vector<Pixel565>> kept;
    return kept;
}

} // namespace

ScratchSurface& ScratchSurface::operator=(ScratchSurface&& other) noexcept {
    if (this != &other) {
        giveBack();
        pixels_ = std::move(other.pixels_);
        surface_ = std::move(other.surface_);
        other.pixels_.clear();
    }
    return *this;
}

void ScratchSurface::resize(int width, int height) {
    width = std::max(0, width);
    height = std::max(0, height);
    if (surface_.width() == width && surface_.height() == height && !pixels_.empty())
        return;
    giveBack();
    const size_t needed = static_cast<size_t>(width) * height;
    if (needed == 0)
        return;
    auto& kept = spares();
    // The smallest spare that is large enough.
    auto best = kept.end();
    for (auto it = kept.begin(); it != kept.end(); ++it)
        if (it->size() >= needed && (best == kept.end() || it->size() < best->size()))
            best = it;
    if (best != kept.end()) {
        pixels_ = std::move(*best);
        kept.erase(best);
    } else {
        pixels_.resize(needed);
    }
    surface_ = Surface::view(pixels_.data(), width, height, width);
}

void ScratchSurface::giveBack() {
    surface_ = Surface();
    if (pixels_.empty())
        return;
    auto& kept = spares();
    if (kept.size() < sparesKept)
        kept.push_back(std::move(pixels_));
    pixels_ = {};
}

} // namespace vantrel::platform
