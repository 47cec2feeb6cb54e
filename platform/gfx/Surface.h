#pragma once
// An RGB565 pixel surface with a stride: the window buffer, every off-screen buffer and
// every prepared image. A surface either owns its pixels or views someone else's.

#include "platform/core/Geometry.h"

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace vantrel::platform {

using Pixel565 = uint16_t;

// Colours are 0x00BBGGRR like the phone's colour values, so setting files read directly.
using Colour = uint32_t;

constexpr Colour rgb(int r, int g, int b) {
    return static_cast<Colour>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int redOf(Colour c) {
    return c & 0xFF;
}
constexpr int greenOf(Colour c) {
    return (c >> 8) & 0xFF;
}
constexpr int blueOf(Colour c) {
    return (c >> 16) & 0xFF;
}

constexpr Pixel565 toPixel565(Colour c) {
    return static_cast<Pixel565>(((redOf(c) >> 3) << 11) | ((greenOf(c) >> 2) << 5) |
                                 (blueOf(c) >> 3));
}
// Expands the 5 and 6 bit channels back to 8 bits, replicating the high bits.
constexpr Colour fromPixel565(Pixel565 p) {
    int r = (p >> 11) & 0x1F, g = (p >> 5) & 0x3F, b = p & 0x1F;
    return rgb((r << 3) | (r >> 2), (g << 2) | (g >> 4), (b << 3) | (b >> 2));
}

class Surface {
public:
    Surface() = default;
    // An owning surface, cleared to black.
    Surface(int width, int height)
        : width_(width > 0 ? width : 0), height_(height > 0 ? height : 0), stride_(width_),
          storage_(static_cast<size_t>(width_) * height_), pixels_(storage_.data()) {}
    // A view of pixels owned elsewhere; `stride` counts pixels, not bytes.
    static Surface view(Pixel565* pixels, int width, int height, int stride) {
        Surface s;
        s.width_ = width;
        s.height_ = height;
        s.stride_ = stride;
        s.pixels_ = pixels;
        return s;
    }

    Surface(const Surface& other) { *this = other; }
    Surface& operator=(const Surface& other) {
        if (this == &other)
            return *this;
        width_ = other.width_;
        height_ = other.height_;
        stride_ = other.stride_;
        storage_ = other.storage_;
        pixels_ = storage_.empty() ? other.pixels_ : storage_.data();
        return *this;
    }
    Surface(Surface&& other) noexcept { *this = std::move(other); }
    Surface& operator=(Surface&& other) noexcept {
        bool owned = !other.storage_.empty();
        width_ = other.width_;
        height_ = other.height_;
        stride_ = other.stride_;
        storage_ = std::move(other.storage_);
        pixels_ = owned ? storage_.data() : other.pixels_;
        other.width_ = other.height_ = other.stride_ = 0;
        other.pixels_ = nullptr;
        return *this;
    }

    int width() const { return width_; }
    int height() const { return height_; }
    int stride() const { return stride_; }
    bool isEmpty() const { return width_ <= 0 || height_ <= 0; }
    Rect bounds() const { return {0, 0, width_, height_}; }

    Pixel565* row(int y) { return pixels_ + static_cast<ptrdiff_t>(y) * stride_; }
    const Pixel565* row(int y) const { return pixels_ + static_cast<ptrdiff_t>(y) * stride_; }
    Pixel565 at(int x, int y) const { return row(y)[x]; }
    void set(int x, int y, Pixel565 p) { row(y)[x] = p; }

private:
    int width_ = 0;
    int height_ = 0;
    int stride_ = 0;
    std::vector<Pixel565> storage_;
    Pixel565* pixels_ = nullptr;
};

} // namespace vantrel::platform
