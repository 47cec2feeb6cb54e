#pragma once
// The loops under the warping transitions: a transpose of a block of pixels and a
// nearest-neighbour stretch of one row. A warp that scales every column by its own factor
// works on transposed pictures, where each column is a row that one stretch draws, and
// transposes the result back once per frame.
//
// Each kernel comes as a portable loop and, where the processor has AVX-512 (BW), as a
// vector one; the call picks the vector one at run time. Both give the same pixels.

#include "platform/gfx/Surface.h"

namespace vantrel::platform::kernels {

// dst[x * dstStride + y] = src[y * srcStride + x] for x < width, y < height: the
// `width` x `height` block at `src` becomes a `height` x `width` block at `dst`.
// The blocks must not overlap.
void transposePixels(const Pixel565* src, int srcStride, Pixel565* dst, int dstStride, int width,
                     int height);

// out[i] = in[(start + i * step) >> 16] for i < count: a 16.16 nearest-neighbour stretch.
// Every index read must lie in [0, inCount); `step` is positive.
void stretchRow(Pixel565* out, int count, const Pixel565* in, int inCount, int start, int step);

// The whole of `in` squeezed or spread over `count` outputs: each output shows the input
// pixel at the middle of its share. Nothing is drawn for a count of 0 or less.
void stretchRowToFit(Pixel565* out, int count, const Pixel565* in, int inCount);

// The two implementations, for tests that check they agree.
struct WarpKernelSet {
    void (*transposePixels)(const Pixel565*, int, Pixel565*, int, int, int);
    void (*stretchRow)(Pixel565*, int, const Pixel565*, int, int, int);
};
const WarpKernelSet& portableWarpKernels();
// Null where the processor lacks AVX-512 (F and BW).
const WarpKernelSet* vectorWarpKernels();

} // namespace vantrel::platform::kernels
