#include "platform/imaging/ImageHeader.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace vantrel::platform {

namespace {

uint32_t byteAt(std::string_view b, size_t at) {
    return static_cast<uint8_t>(b[at]);
}
uint32_t bigEndian16(std::string_view b, size_t at) {
    return byteAt(b, at) << 8 | byteAt(b, at + 1);
}
uint32_t bigEndian32(std::string_view b, size_t at) {
    return bigEndian16(b, at) << 16 | bigEndian16(b, at + 2);
}
uint32_t littleEndian16(std::string_view b, size_t at) {
    return byteAt(b, at) | byteAt(b, at + 1) << 8;
}
uint32_t littleEndian32(std::string_view b, size_t at) {
    return littleEndian16(b, at) | littleEndian16(b, at + 2) << 16;
}

// Sizes beyond int are clamped: they are refused as too large either way.
int clampedSize(int64_t v) {
    return static_cast<int>(std::clamp<int64_t>(v, 0, INT32_MAX));
}

// True when every chunk lies inside the bytes and the last one is IEND.
// NOTE: the decoder's reader ignores short reads, so libpng fed a chunk that claims more
// bytes than the file has goes on "reading" stale buffer contents for gigabytes, which
// takes minutes: a truncated or lying file must never reach it.
bool pngChunksComplete(std::string_view b) {
    size_t at = 8;
    while (b.size() - at >= 12) {
        uint32_t length = bigEndian32(b, at);
        if (length > b.size() - at - 12)
            return false;
        if (b.substr(at + 4, 4) == "IEND")
            return true;
        at += 12 + static_cast<size_t>(length);
    }
    return false;
}

std::optional<ImageHeader> pngHeader(std::string_view b) {
    // Signature, then the IHDR chunk: length, type, width, height (big-endian).
    if (b.size() < 24 || b.substr(12, 4) != "IHDR" || !pngChunksComplete(b))
        return std::nullopt;
    return ImageHeader{ImageFormat::Png, clampedSize(bigEndian32(b, 16)),
                       clampedSize(bigEndian32(b, 20))};
}

std::optional<ImageHeader> jpegHeader(std::string_view b) {
    // Walk the markers up to the first start-of-frame, which holds the size.
    size_t at = 2;
    while (at + 4 <= b.size()) {
        if (byteAt(b, at) != 0xFF)
            return std::nullopt;
        const uint32_t marker = byteAt(b, at + 1);
        if (marker == 0xFF) { // fill byte
            ++at;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) { // no length
            at += 2;
            continue;
        }
        const uint32_t length = bigEndian16(b, at + 2);
        const bool startOfFrame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (startOfFrame) {
            if (at + 9 > b.size())
                return std::nullopt;
            return ImageHeader{ImageFormat::Jpeg, clampedSize(bigEndian16(b, at + 7)),
                               clampedSize(bigEndian16(b, at + 5))};
        }
        if (marker == 0xDA || length < 2) // scan data before any frame: broken
            return std::nullopt;
        at += 2 + length;
    }
    return std::nullopt;
}

std::optional<ImageHeader> gifHeader(std::string_view b) {
    if (b.size() < 13)
        return std::nullopt;
    int64_t width = littleEndian16(b, 6), height = littleEndian16(b, 8);
    // The first frame may reach beyond the logical screen; the larger extent counts.
    size_t at = 13;
    if (byteAt(b, 10) & 0x80)
        at += 3u << ((byteAt(b, 10) & 7) + 1);
    while (at < b.size()) {
        const uint32_t block = byteAt(b, at);
        if (block == 0x2C) {
            if (at + 9 > b.size())
                break;
            width = std::max<int64_t>(width, littleEndian16(b, at + 1) + littleEndian16(b, at + 5));
            height =
                std::max<int64_t>(height, littleEndian16(b, at + 3) + littleEndian16(b, at + 7));
            break;
        }
        if (block == 0x3B) // the trailer: no frame at all
            break;
        if (block != 0x21) {
            // The decoder skips stray bytes between blocks, so the scan must too, or a
            // frame hidden behind them would escape the size check.
            ++at;
            continue;
        }
        // An extension: label, then sub-blocks until an empty one.
        at += 2;
        while (at < b.size() && byteAt(b, at) != 0)
            at += 1 + byteAt(b, at);
        ++at;
    }
    return ImageHeader{ImageFormat::Gif, clampedSize(width), clampedSize(height)};
}

std::optional<ImageHeader> bmpHeader(std::string_view b) {
    if (b.size() < 26)
        return std::nullopt;
    if (littleEndian32(b, 14) == 12) // the old core header has 16-bit sizes
        return ImageHeader{ImageFormat::Bmp, clampedSize(littleEndian16(b, 18)),
                           clampedSize(littleEndian16(b, 20))};
    // The height is negative for top-down rows.
    const auto height = static_cast<int32_t>(littleEndian32(b, 22));
    return ImageHeader{ImageFormat::Bmp, clampedSize(static_cast<int32_t>(littleEndian32(b, 18))),
                       clampedSize(std::abs(static_cast<int64_t>(height)))};
}

} // namespace

std::optional<ImageHeader> readImageHeader(std::string_view b) {
    if (b.substr(0, 8) == std::string_view("\x89PNG\r\n\x1A\n", 8))
        return pngHeader(b);
    if (b.size() >= 3 && b.substr(0, 3) == "\xFF\xD8\xFF")
        return jpegHeader(b);
    if (b.substr(0, 6) == "GIF87a" || b.substr(0, 6) == "GIF89a")
        return gifHeader(b);
    if (b.substr(0, 2) == "BM")
        return bmpHeader(b);
    return std::nullopt;
}

} // namespace vantrel::platform
