// Full-window drawing costs against memcpy of the same bytes, measured in one run so the
// ratios hold on any machine. The window is 480 x 800 RGB565.
//
// Goals: alpha fill within 2x and frame blend within 3x of memcpy. Run with
// --benchmark_counters_tabular=true; each fixture reports its ratio as "x_memcpy".

#include "platform/gfx/ArgbImage.h"
#include "platform/gfx/Painter.h"
#include "platform/gfx/WarpKernels.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <random>

using namespace vantrel::platform;

namespace {

constexpr int kWidth = 480;
constexpr int kHeight = 800;

Surface noise(int width, int height, uint32_t seed) {
    Surface s(width, height);
    std::mt19937 random(seed);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            s.set(x, y, static_cast<Pixel565>(random()));
    return s;
}

// Seconds per call of `fn`, the best of several batches, so the ratio is not skewed by a
// batch that was interrupted.
template <typename Fn> double secondsPerCall(Fn&& fn) {
    double best = 1e9;
    for (int batch = 0; batch < 5; ++batch) {
        auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < 50; ++i)
            fn();
        std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
        best = std::min(best, spent.count() / 50);
    }
    return best;
}

double memcpySeconds(size_t bytes) {
    std::vector<char> from(bytes, 1), to(bytes);
    return secondsPerCall([&] {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
    });
}

// Runs `fn` under the benchmark's timer and reports its time relative to memcpy of
// `bytes`.
template <typename Fn> void measure(benchmark::State& state, size_t bytes, Fn&& fn) {
    for (auto _ : state) {
        fn();
        benchmark::ClobberMemory();
    }
    state.counters["x_memcpy"] = secondsPerCall(fn) / memcpySeconds(bytes);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * bytes);
}

constexpr size_t kWindowBytes = size_t(kWidth) * kHeight * sizeof(Pixel565);

void MemcpyWindow(benchmark::State& state) {
    std::vector<char> from(kWindowBytes, 1), to(kWindowBytes);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), kWindowBytes);
        benchmark::DoNotOptimize(to.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kWindowBytes);
}

void AlphaFillWindow(benchmark::State& state) {
    Surface window = noise(kWidth, kHeight, 1);
    Painter painter(window);
    measure(state, kWindowBytes,
            [&] { painter.fillAlpha(window.bounds(), rgb(255, 128, 0), 180); });
}

void BlendTwoFrames(benchmark::State& state) {
    Surface from = noise(kWidth, kHeight, 2), to = noise(kWidth, kHeight, 3);
    Surface window(kWidth, kHeight);
    int alpha = 0;
    measure(state, kWindowBytes, [&] {
        blendFrames(window, from, to, alpha);
        alpha = (alpha + 7) & 0xFF;
    });
}

void TintWindow(benchmark::State& state) {
    Surface window = noise(kWidth, kHeight, 4);
    measure(state, kWindowBytes, [&] { tintSurface(window, rgb(0, 0, 0), 64); });
}

// A full-window opaque image drawn by row copy, as a prepared background is.
void ImageRowCopy(benchmark::State& state) {
    Surface image = noise(kWidth, kHeight, 5);
    Surface window(kWidth, kHeight);
    Painter painter(window);
    measure(state, kWindowBytes, [&] { painter.copy(image, image.bounds(), {0, 0}); });
}

// A full-window image with an alpha mask (a third transparent, a third translucent).
void ImageAlphaBlit(benchmark::State& state) {
    ArgbImage argb(kWidth, kHeight);
    std::mt19937 random(6);
    for (auto& p : argb.pixels) {
        const int kinds[] = {0, 255, static_cast<int>(random() % 254 + 1)};
        p = (random() & 0xFFFFFF) | (static_cast<uint32_t>(kinds[random() % 3]) << 24);
    }
    Rgb565Image image = toRgb565(argb);
    Surface window = noise(kWidth, kHeight, 7);
    Painter painter(window);
    measure(state, kWindowBytes, [&] {
        painter.copyMasked(image.pixels, image.alphaMask.data(), kWidth, image.pixels.bounds(),
                           {0, 0});
    });
}

// The warp kernels, in the implementation this processor gets: a whole window
// transposed, and every column of a transposed window shrunk by 1.6 (a card's far edge).
void TransposeWindow(benchmark::State& state) {
    Surface window = noise(kWidth, kHeight, 8);
    Surface transposed(kHeight, kWidth);
    measure(state, kWindowBytes, [&] {
        kernels::transposePixels(window.row(0), window.stride(), transposed.row(0),
                                 transposed.stride(), kWidth, kHeight);
    });
}

void StretchColumns(benchmark::State& state) {
    Surface columns = noise(kHeight, kWidth, 9);
    Surface out(kHeight, kWidth);
    const int step = (8 << 16) / 5;
    const int count = (kHeight << 16) / step;
    measure(state, kWindowBytes * count / kHeight, [&] {
        for (int x = 0; x < kWidth; ++x)
            kernels::stretchRow(out.row(x), count, columns.row(x), kHeight, step / 2, step);
    });
}

void ScalePhoto(benchmark::State& state) {
    ArgbImage photo(640, 480, argb(255, 10, 200, 30));
    for (auto _ : state)
        benchmark::DoNotOptimize(scaleArgb(photo, 96, 72));
}

} // namespace

BENCHMARK(MemcpyWindow);
BENCHMARK(AlphaFillWindow);
BENCHMARK(BlendTwoFrames);
BENCHMARK(TintWindow);
BENCHMARK(ImageRowCopy);
BENCHMARK(ImageAlphaBlit);
BENCHMARK(TransposeWindow);
BENCHMARK(StretchColumns);
BENCHMARK(ScalePhoto)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
