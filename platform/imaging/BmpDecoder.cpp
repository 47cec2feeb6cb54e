#include "platform/imaging/FormatDecoders.h"

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::platform::imaging {

namespace {

uint32_t u16(std::string_view b, size_t at) {
    return uint8_t(b[at]) | uint32_t(uint8_t(b[at + 1])) << 8;
}
uint32_t u32(std::string_view b, size_t at) {
    return u16(b, at) | u16(b, at + 2) << 16;
}

enum Compression : uint32_t { rgb = 0, bitFields = 3, alphaBitFields = 6 };

// One channel of a bit-field pixel, scaled to 8 bits.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    uint32_t max = 0;

    explicit Channel(uint32_t m) : mask(m) {
        if (m) {
            shift = std::countr_zero(m);
            max = m >> shift;
        }
    }
    int of(uint32_t pixel) const {
        return max ? static_cast<int>(uint64_t((pixel & mask) >> shift) * 255 / max) : 0;
    }
};

} // namespace

DecodedImage decodeBmp(std::string_view b) {
    auto refuse = [](const char* why) {
        return decodeFailure(std::string("cannot decode the BMP image: ") + why);
    };
    if (b.size() < 26)
        return refuse("the header is cut short");
    const uint32_t pixelsAt = u32(b, 10);
    const uint32_t infoSize = u32(b, 14);
    const bool core = infoSize == 12;
    if (!core && (infoSize < 40 || infoSize > b.size() - 14))
        return refuse("unknown header");
    // The core header's sizes are unsigned 16-bit, the others' signed 32-bit.
    const int64_t width = core ? int64_t(u16(b, 18)) : int64_t(int32_t(u32(b, 18)));
    const int64_t signedHeight = core ? int64_t(u16(b, 20)) : int64_t(int32_t(u32(b, 22)));
    const int bits = static_cast<int>(u16(b, core ? 24 : 28));
    const uint32_t compression = core ? rgb : u32(b, 30);
    const bool bottomUp = signedHeight > 0;
    const int64_t height = bottomUp ? signedHeight : -signedHeight;
    if (!sizeAllowed(width, height))
        return refuse("the size is unusable or too large");

    // Masks: the defaults of the plain formats, or the ones the file states (after a
    // 40-byte header they follow it; larger headers hold them).
    uint32_t red = 0x00FF0000, green = 0x0000FF00, blue = 0x000000FF, alpha = 0;
    if (bits == 16)
        red = 0x7C00, green = 0x03E0, blue = 0x001F;
    if (compression == bitFields || compression == alphaBitFields) {
        if ((bits != 16 && bits != 32) || b.size() < 14 + 40 + 16)
            return refuse("bit fields without their masks");
        red = u32(b, 54), green = u32(b, 58), blue = u32(b, 62);
        alpha = compression == alphaBitFields || infoSize >= 56 ? u32(b, 66) : 0;
    } else if (compression != rgb) {
        return refuse("compressed BMP images are not supported");
    } else if (bits == 32) {
        alpha = 0xFF000000;
    }

    // The colour table of the palette formats: 3-byte entries after a core header.
    std::vector<uint32_t> palette;
    if (bits == 1 || bits == 4 || bits == 8) {
        const size_t entrySize = core ? 3 : 4;
        const size_t tableAt = 14 + infoSize;
        uint32_t count = core ? 0 : u32(b, 46);
        if (count == 0 || count > (1u << bits))
            count = 1u << bits;
        for (uint32_t i = 0; i < count && tableAt + (i + 1) * entrySize <= b.size(); ++i) {
            const size_t at = tableAt + i * entrySize;
            palette.push_back(argb(255, uint8_t(b[at + 2]), uint8_t(b[at + 1]), uint8_t(b[at])));
        }
        palette.resize(size_t(1) << bits, argb(255, 0, 0, 0));
    } else if (bits != 16 && bits != 24 && bits != 32) {
        return refuse("unsupported bit depth");
    }

    const size_t stride = ((static_cast<size_t>(width) * bits + 31) / 32) * 4;
    if (pixelsAt > b.size() || stride * static_cast<size_t>(height) > b.size() - pixelsAt)
        return refuse("the pixel rows are cut short");

    const Channel r(red), g(green), bl(blue), a(alpha);
    ArgbImage image(static_cast<int>(width), static_cast<int>(height));
    bool anyAlpha = false;
    for (int64_t row = 0; row < height; ++row) {
        const size_t at = pixelsAt + static_cast<size_t>(row) * stride;
        const int y = static_cast<int>(bottomUp ? height - 1 - row : row);
        uint32_t* out = &image.pixels[static_cast<size_t>(y) * image.width];
        for (int x = 0; x < image.width; ++x) {
            if (bits <= 8) {
                const size_t bit = static_cast<size_t>(x) * bits;
                const uint32_t index =
                    (uint8_t(b[at + bit / 8]) >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
                out[x] = palette[index];
                continue;
            }
            const size_t p = at + static_cast<size_t>(x) * (bits / 8);
            const uint32_t pixel = bits == 16   ? u16(b, p)
                                   : bits == 24 ? u16(b, p) | uint32_t(uint8_t(b[p + 2])) << 16
                                                : u32(b, p);
            const int alphaValue = a.of(pixel);
            anyAlpha = anyAlpha || alphaValue != 0;
            out[x] = argb(alphaValue, r.of(pixel), g.of(pixel), bl.of(pixel));
        }
    }
    // Many writers leave the fourth byte of 32-bit pixels at zero: a picture whose alpha
    // is zero everywhere is meant opaque, not invisible.
    if (bits > 8 && !anyAlpha)
        for (uint32_t& pixel : image.pixels)
            pixel |= 0xFF000000u;
    return {std::move(image), {}};
}

} // namespace vantrel::platform::imaging
