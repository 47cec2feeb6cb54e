// The AVX-512 warp kernels; this file alone is compiled for AVX-512 (F and BW), and
// WarpKernels.cpp calls it only where the processor has both.

#include "platform/gfx/TransposeNetwork.h"
#include "platform/gfx/WarpKernels.h"

#include <immintrin.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace vantrel::platform::kernels {

namespace {

struct Avx512Ops {
    static __m512i lo16(__m512i a, __m512i b) { return _mm512_unpacklo_epi16(a, b); }
    static __m512i hi16(__m512i a, __m512i b) { return _mm512_unpackhi_epi16(a, b); }
    static __m512i lo32(__m512i a, __m512i b) { return _mm512_unpacklo_epi32(a, b); }
    static __m512i hi32(__m512i a, __m512i b) { return _mm512_unpackhi_epi32(a, b); }
    static __m512i lo64(__m512i a, __m512i b) { return _mm512_unpacklo_epi64(a, b); }
    static __m512i hi64(__m512i a, __m512i b) { return _mm512_unpackhi_epi64(a, b); }
};

__mmask32 firstLanes(int count) {
    return count >= 32 ? ~__mmask32(0) : (__mmask32(1) << count) - 1;
}

// A block of 32 x 32 pixels: each group of eight rows is transposed within its 128-bit
// lanes, so that group[g][j] holds, in lane L, column 8L + j of rows 8g..8g + 7; the
// 4 x 4 transpose of lanes across the groups then gathers each column's 32 rows.
void transposeWholeTile(const Pixel565* src, int srcStride, Pixel565* dst, int dstStride) {
    __m512i group[4][8];
    for (int g = 0; g < 4; ++g) {
        for (int i = 0; i < 8; ++i)
            group[g][i] = _mm512_loadu_si512(src + (8 * g + i) * srcStride);
        transposeLanes8x8<Avx512Ops>(group[g]);
    }
    for (int j = 0; j < 8; ++j) {
        const __m512i low01 = _mm512_shuffle_i64x2(group[0][j], group[1][j], 0x44);
        const __m512i high01 = _mm512_shuffle_i64x2(group[0][j], group[1][j], 0xEE);
        const __m512i low23 = _mm512_shuffle_i64x2(group[2][j], group[3][j], 0x44);
        const __m512i high23 = _mm512_shuffle_i64x2(group[2][j], group[3][j], 0xEE);
        _mm512_storeu_si512(dst + j * dstStride, _mm512_shuffle_i64x2(low01, low23, 0x88));
        _mm512_storeu_si512(dst + (8 + j) * dstStride, _mm512_shuffle_i64x2(low01, low23, 0xDD));
        _mm512_storeu_si512(dst + (16 + j) * dstStride, _mm512_shuffle_i64x2(high01, high23, 0x88));
        _mm512_storeu_si512(dst + (24 + j) * dstStride, _mm512_shuffle_i64x2(high01, high23, 0xDD));
    }
}

// A block of up to 32 x 32 pixels; a smaller one goes through a whole tile in memory,
// so the whole-tile code stays free of conditions.
void transposeTile32(const Pixel565* src, int srcStride, Pixel565* dst, int dstStride, int width,
                     int height) {
    if (width == 32 && height == 32) {
        transposeWholeTile(src, srcStride, dst, dstStride);
        return;
    }
    alignas(64) Pixel565 in[32 * 32] = {}, out[32 * 32];
    for (int y = 0; y < height; ++y)
        std::memcpy(in + 32 * y, src + y * srcStride,
                    static_cast<size_t>(width) * sizeof(Pixel565));
    transposeWholeTile(in, 32, out, 32);
    for (int x = 0; x < width; ++x)
        std::memcpy(dst + x * dstStride, out + 32 * x,
                    static_cast<size_t>(height) * sizeof(Pixel565));
}

void transposeAvx512(const Pixel565* src, int srcStride, Pixel565* dst, int dstStride, int width,
                     int height) {
    transposeByTiles<32>(transposeTile32, src, srcStride, dst, dstStride, width, height);
}

__m512i wordsOf(__m512i low, __m512i high) {
    return _mm512_inserti64x4(_mm512_castsi256_si512(_mm512_cvtepi32_epi16(low)),
                              _mm512_cvtepi32_epi16(high), 1);
}

// NOTE: a run of neighbouring outputs that reads from at most 64 neighbouring inputs
// takes two loads to bring them into registers and one word permute to pick from them:
// 32 outputs for a step of up to two pixels, 16 up to four, 8 up to eight. Lane i of a
// run reads input (a + i * step) >> 16, where a is the run's position: that is the run's
// first input plus whole[i] plus a carry, with whole[i] and part[i] the whole and
// fraction parts of i * step and the carry set where part[i] and the fraction of a add
// up past one. Those sums are kept in 16-bit lanes, where they wrap exactly when they
// carry, and move on by the fraction of a run's steps from run to run. A run then costs a
// compare, two adds, two loads, the permute and a store.
void stretchRowAvx512(Pixel565* out, int count, const Pixel565* in, int inCount, int start,
                      int step) {
    int lanes = 32;
    while (lanes > 8 && static_cast<int64_t>(step) * lanes > (64 << 16))
        lanes /= 2;
    if (static_cast<int64_t>(step) * lanes > (64 << 16) || inCount < 64) {
        portableWarpKernels().stretchRow(out, count, in, inCount, start, step);
        return;
    }
    const __m512i lane = _mm512_set_epi32(15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0);
    const __m512i steps = _mm512_set1_epi32(step);
    const __m512i low = _mm512_mullo_epi32(lane, steps);
    const __m512i high = _mm512_mullo_epi32(_mm512_add_epi32(lane, _mm512_set1_epi32(16)), steps);
    const __m512i fraction = _mm512_set1_epi32(0xFFFF);
    const __m512i whole = wordsOf(_mm512_srli_epi32(low, 16), _mm512_srli_epi32(high, 16));
    const __m512i part = wordsOf(_mm512_and_si512(low, fraction), _mm512_and_si512(high, fraction));
    const __m512i one = _mm512_set1_epi16(1);

    auto position = static_cast<uint32_t>(start);
    const auto runStep = static_cast<uint32_t>(step) * static_cast<uint32_t>(lanes);
    const __m512i runFraction = _mm512_set1_epi16(static_cast<int16_t>(runStep & 0xFFFF));
    __m512i sums = _mm512_add_epi16(part, _mm512_set1_epi16(static_cast<int16_t>(start & 0xFFFF)));
    // The outputs of the run at `position`, from the 64 inputs at `base`.
    auto run = [&](int base) {
        const __mmask32 carry = _mm512_cmplt_epu16_mask(sums, part);
        sums = _mm512_add_epi16(sums, runFraction);
        __m512i index = _mm512_mask_add_epi16(whole, carry, whole, one);
        const int first = static_cast<int>(position >> 16);
        if (first != base)
            index = _mm512_add_epi16(index, _mm512_set1_epi16(static_cast<int16_t>(first - base)));
        position += runStep;
        return _mm512_permutex2var_epi16(_mm512_loadu_si512(in + base), index,
                                         _mm512_loadu_si512(in + base + 32));
    };
    int i = 0;
    // The input is read once (a column of a picture, each frame): fetched ahead past the
    // caches' long-lived lines, it leaves the frame being drawn in them.
    if (lanes == 32) {
        for (; i + 32 <= count && static_cast<int>(position >> 16) <= inCount - 64; i += 32) {
            _mm_prefetch(reinterpret_cast<const char*>(in + (position >> 16) + 256), _MM_HINT_NTA);
            _mm512_storeu_si512(out + i, run(static_cast<int>(position >> 16)));
        }
    }
    // Shorter runs, the last, partial one, and those near the end of the input, where
    // the window stops at its last pixel and the lanes reach further into it.
    for (; i < count; i += lanes)
        _mm512_mask_storeu_epi16(out + i, firstLanes(std::min(lanes, count - i)),
                                 run(std::min(static_cast<int>(position >> 16), inCount - 64)));
}

} // namespace

extern const WarpKernelSet avx512WarpKernelSet;
const WarpKernelSet avx512WarpKernelSet{transposeAvx512, stretchRowAvx512};

} // namespace vantrel::platform::kernels
