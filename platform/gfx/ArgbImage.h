#pragma once
// Decoded pictures in 32-bit ARGB (0xAARRGGBB, straight alpha, rows top to bottom with no
// padding), their conversion to the RGB565 surfaces everything draws from, and a scaler
// that keeps photos looking good.

#include "platform/gfx/Surface.h"

#include <cstdint>
#include <vector>

namespace vantrel::platform {

struct ArgbImage {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    ArgbImage() = default;
    ArgbImage(int w, int h, uint32_t fill = 0);

    bool isEmpty() const { return width <= 0 || height <= 0; }
    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    void set(int x, int y, uint32_t p) { pixels[static_cast<size_t>(y) * width + x] = p; }
};

constexpr uint32_t argb(int a, int r, int g, int b) {
    return (static_cast<uint32_t>(a & 0xFF) << 24) | ((r & 0xFF) << 16) | ((g & 0xFF) << 8) |
           (b & 0xFF);
}
constexpr int alphaOf(uint32_t p) {
    return static_cast<int>(p >> 24);
}
constexpr Pixel565 argbToPixel565(uint32_t p) {
    return static_cast<Pixel565>(((p >> 8) & 0xF800) | ((p >> 5) & 0x07E0) | ((p >> 3) & 0x1F));
}

// An image ready to draw: RGB565 pixels, and an alpha mask (width * height bytes, rows
// unpadded) only when at least one pixel is not fully opaque, so opaque pictures take the
// plain row copy.
struct Rgb565Image {
    Surface pixels;
    std::vector<uint8_t> alphaMask;

    bool hasAlpha() const { return !alphaMask.empty(); }
};

Rgb565Image toRgb565(const ArgbImage& image);

// The surface as an opaque ARGB image (for screenshots).
ArgbImage fromRgb565(const Surface& surface);

// The largest image made here: 16 million pixels, 64 MiB.
inline constexpr int64_t kMaxArgbPixels = 16 << 20;

// Resamples to the given size: area averaging on an axis that shrinks, bilinear on one
// that grows, in premultiplied alpha so transparent pixels do not bleed their colour.
// A size of zero or less, or beyond kMaxArgbPixels, gives an empty image.
ArgbImage scaleArgb(const ArgbImage& image, int width, int height);

} // namespace vantrel::platform
