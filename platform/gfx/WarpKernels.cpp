#include "platform/gfx/WarpKernels.h"

#include "platform/gfx/TransposeNetwork.h"

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vantrel::platform::kernels {

#if defined(VT_AVX512_WARP_KERNELS)
// In WarpKernelsAvx512.cpp, which is compiled for AVX-512.
extern const WarpKernelSet avx512WarpKernelSet;
#endif

namespace {

#if defined(__SSE2__)
struct Sse2Ops {
    static __m128i lo16(__m128i a, __m128i b) { return _mm_unpacklo_epi16(a, b); }
    static __m128i hi16(__m128i a, __m128i b) { return _mm_unpackhi_epi16(a, b); }
    static __m128i lo32(__m128i a, __m128i b) { return _mm_unpacklo_epi32(a, b); }
    static __m128i hi32(__m128i a, __m128i b) { return _mm_unpackhi_epi32(a, b); }
    static __m128i lo64(__m128i a, __m128i b) { return _mm_unpacklo_epi64(a, b); }
    static __m128i hi64(__m128i a, __m128i b) { return _mm_unpackhi_epi64(a, b); }
};

void transposeTile8(const Pixel565* src, int srcStride, Pixel565* dst, int dstStride, int width,
                    int height) {
    if (width < 8 || height < 8) {
        transposeEach(src, srcStride, dst, dstStride, width, height);
        return;
    }
    __m128i r[8];
    for (int i = 0; i < 8; ++i)
        r[i] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i * srcStride));
    transposeLanes8x8<Sse2Ops>(r);
    for (int i = 0; i < 8; ++i)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i * dstStride), r[i]);
}
#endif

void transposePortable(const Pixel565* src, int srcStride, Pixel565* dst, int dstStride, int width,
                       int height) {
#if defined(__SSE2__)
    transposeByTiles<8>(transposeTile8, src, srcStride, dst, dstStride, width, height);
#else
    transposeEach(src, srcStride, dst, dstStride, width, height);
#endif
}

void stretchRowPortable(Pixel565* out, int count, const Pixel565* in, int, int start, int step) {
    // Unsigned, so a position past the last pixel read never overflows.
    auto position = static_cast<uint32_t>(start);
    for (int i = 0; i < count; ++i, position += static_cast<uint32_t>(step))
        out[i] = in[position >> 16];
}

const WarpKernelSet portableSet{transposePortable, stretchRowPortable};

const WarpKernelSet& chosen() {
    static const WarpKernelSet* set = [] {
        const WarpKernelSet* vector = vectorWarpKernels();
        return vector ? vector : &portableSet;
    }();
    return *set;
}

} // namespace

const WarpKernelSet& portableWarpKernels() {
    return portableSet;
}

const WarpKernelSet* vectorWarpKernels() {
#if defined(VT_AVX512_WARP_KERNELS)
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw"))
        return &avx512WarpKernelSet;
#endif
    return nullptr;
}

void transposePixels(const Pixel565* src, int srcStride, Pixel565* dst, int dstStride, int width,
                     int height) {
    chosen().transposePixels(src, srcStride, dst, dstStride, width, height);
}

void stretchRow(Pixel565* out, int count, const Pixel565* in, int inCount, int start, int step) {
    // A step of one pixel is a copy (a card or a row at its full size).
    if (step == 1 << 16 && count > 0) {
        std::memcpy(out, in + (start >> 16), static_cast<size_t>(count) * sizeof(Pixel565));
        return;
    }
    chosen().stretchRow(out, count, in, inCount, start, step);
}

void stretchRowToFit(Pixel565* out, int count, const Pixel565* in, int inCount) {
    if (count <= 0 || inCount <= 0)
        return;
    const int step = static_cast<int>((static_cast<int64_t>(inCount) << 16) / count);
    stretchRow(out, count, in, inCount, step / 2, step);
}

} // namespace vantrel::platform::kernels
