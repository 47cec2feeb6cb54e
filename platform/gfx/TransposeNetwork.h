#pragma once
// The in-register transpose of 8 x 8 pixels shared by the portable and the AVX-512
// warp kernels. `Ops` names the unpack instructions of one vector width; every 128-bit
// lane of the registers is transposed on its own.
//
// Only the warp kernels include this, each in its own translation unit compiled for its
// own instruction set: the namespace keeps their copies apart, so the linker can never
// hand the portable code an instantiation compiled for AVX-512.

#include "platform/gfx/Surface.h"

#include <algorithm>
#include <cstddef>

namespace vantrel::platform::kernels {
namespace {

// Rows 0..7 in, and out: r[j] holds column j of the 8 x 8 block in each 128-bit lane.
template <class Ops, class V> inline void transposeLanes8x8(V (&r)[8]) {
    V pairs[8], quads[8];
    // Two rows interleaved: pairs[2i] has their columns 0-3, pairs[2i + 1] columns 4-7.
    for (int i = 0; i < 4; ++i) {
        pairs[2 * i] = Ops::lo16(r[2 * i], r[2 * i + 1]);
        pairs[2 * i + 1] = Ops::hi16(r[2 * i], r[2 * i + 1]);
    }
    // Four rows: quads[4q + k] holds columns 2k and 2k + 1 of rows 4q..4q + 3.
    for (int q = 0; q < 2; ++q) {
        const V* p = pairs + 4 * q;
        quads[4 * q] = Ops::lo32(p[0], p[2]);
        quads[4 * q + 1] = Ops::hi32(p[0], p[2]);
        quads[4 * q + 2] = Ops::lo32(p[1], p[3]);
        quads[4 * q + 3] = Ops::hi32(p[1], p[3]);
    }
    for (int k = 0; k < 4; ++k) {
        r[2 * k] = Ops::lo64(quads[k], quads[4 + k]);
        r[2 * k + 1] = Ops::hi64(quads[k], quads[4 + k]);
    }
}

} // namespace
} // namespace vantrel::platform::kernels

namespace vantrel::platform::kernels {
namespace {

// Transposes the block tile by tile: tile(src, srcStride, dst, dstStride, width, height)
// transposes a block of at most Tile x Tile pixels.
template <int Tile, class TileFn>
inline void transposeByTiles(TileFn tile, const Pixel565* src, int srcStride, Pixel565* dst,
                             int dstStride, int width, int height) {
    // A strip of source columns at a time, so the output is written row after row.
    for (int x = 0; x < width; x += Tile)
        for (int y = 0; y < height; y += Tile)
            tile(src + static_cast<ptrdiff_t>(y) * srcStride + x, srcStride,
                 dst + static_cast<ptrdiff_t>(x) * dstStride + y, dstStride,
                 std::min(Tile, width - x), std::min(Tile, height - y));
}

// The pixel-by-pixel transpose, for the pieces of blocks that make no whole tile.
inline void transposeEach(const Pixel565* src, int srcStride, Pixel565* dst, int dstStride,
                          int width, int height) {
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            dst[static_cast<ptrdiff_t>(x) * dstStride + y] =
                src[static_cast<ptrdiff_t>(y) * srcStride + x];
}

} // namespace
} // namespace vantrel::platform::kernels
