// The warp kernels against the plain definitions, in both implementations (the AVX-512
// one where this processor has it), including blocks and rows whose sizes make no whole
// tile or run, and the pixels around the output that must stay untouched.

#include "platform/gfx/WarpKernels.h"

#include "tests/gfx/GfxReference.h"

#include <gtest/gtest.h>

#include <vector>

using namespace vantrel::platform;
using namespace vantrel::test;

namespace {

constexpr Pixel565 sentinel = 0xA5A5;

std::vector<const kernels::WarpKernelSet*> implementations() {
    std::vector<const kernels::WarpKernelSet*> sets{&kernels::portableWarpKernels()};
    if (const kernels::WarpKernelSet* vector = kernels::vectorWarpKernels())
        sets.push_back(vector);
    else
        std::printf("note: no AVX-512 on this processor; only the portable kernels run\n");
    return sets;
}

TEST(WarpKernels, TransposeMatchesTheDefinitionAndWritesOnlyItsBlock) {
    std::mt19937 random(5);
    const int sizes[][2] = {{32, 32}, {480, 800}, {67, 45}, {8, 8},
                            {1, 1},   {31, 33},   {96, 7},  {0, 5}};
    for (const auto* set : implementations()) {
        for (const auto& size : sizes) {
            const int width = size[0], height = size[1];
            const int srcStride = width + 3, dstStride = height + 5;
            SCOPED_TRACE(::testing::Message() << width << " x " << height);
            const auto src = randomRow(random, static_cast<size_t>(srcStride) * height);
            std::vector<Pixel565> dst(static_cast<size_t>(dstStride) * (width + 1), sentinel);
            set->transposePixels(src.data(), srcStride, dst.data(), dstStride, width, height);
            for (int x = 0; x <= width; ++x)
                for (int y = 0; y < dstStride; ++y) {
                    const Pixel565 got = dst[static_cast<size_t>(x) * dstStride + y];
                    if (x < width && y < height)
                        ASSERT_EQ(got, src[static_cast<size_t>(y) * srcStride + x])
                            << x << "," << y;
                    else
                        ASSERT_EQ(got, sentinel) << "outside the block at " << x << "," << y;
                }
        }
    }
}

TEST(WarpKernels, StretchMatchesTheDefinitionForEveryStepAndEnd) {
    std::mt19937 random(6);
    for (const auto* set : implementations()) {
        for (int round = 0; round < 3000; ++round) {
            // Steps from enlarging fourfold to shrinking tenfold (past the largest a
            // vector run takes), inputs shorter and longer than the 64 pixels a vector
            // run reads, and starts with any fraction.
            const int step = randomIn(random, 1 << 14, 10 << 16);
            const int inCount = randomIn(random, 1, 300);
            const int start = randomIn(random, 0, 1 << 16);
            // The most outputs that stay inside the input.
            const int64_t room = ((static_cast<int64_t>(inCount) << 16) - 1 - start) / step + 1;
            if (room <= 0)
                continue;
            const int count = randomIn(random, 0, static_cast<int>(std::min<int64_t>(room, 700)));
            SCOPED_TRACE(::testing::Message() << "step " << step << " in " << inCount << " start "
                                              << start << " count " << count);
            const auto in = randomRow(random, static_cast<size_t>(inCount));
            std::vector<Pixel565> out(static_cast<size_t>(count) + 40, sentinel);
            set->stretchRow(out.data(), count, in.data(), inCount, start, step);
            for (int i = 0; i < count; ++i)
                ASSERT_EQ(out[i], in[(start + static_cast<int64_t>(i) * step) >> 16]) << i;
            for (size_t i = static_cast<size_t>(count); i < out.size(); ++i)
                ASSERT_EQ(out[i], sentinel) << "past the row at " << i;
        }
    }
}

} // namespace
