// One frame of each screen transition on a 480 x 800 window against memcpy of the whole
// frame, measured in the same run so the ratios hold on any machine. Each benchmark walks
// through its animation frame by frame (16 ms apart, as in virtual time), a new animation
// for each run, so the figure is the mean over whole runs with what an animation prepares
// once per run, not its cheapest moment.
//
// Goal: every transition frame within 4x of a frame memcpy. Run with
// --benchmark_counters_tabular=true; each benchmark reports its ratio as "x_memcpy".

#include "lists/ScreenAnimation.h"
#include "settings/Background.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <random>

using namespace vantrel;
using platform::Pixel565;
using platform::Surface;

namespace {

constexpr int kWidth = 480;
constexpr int kHeight = 800;
constexpr size_t kFrameBytes = size_t(kWidth) * kHeight * sizeof(Pixel565);
constexpr int kFrameStep = 16;

Surface noise(uint32_t seed) {
    Surface s(kWidth, kHeight);
    std::mt19937 random(seed);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            s.set(x, y, static_cast<Pixel565>(random()));
    return s;
}

// Seconds per call of `fn`, the best of several batches.
template <typename Fn> double secondsPerCall(Fn&& fn, int calls) {
    double best = 1e9;
    for (int batch = 0; batch < 5; ++batch) {
        auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < calls; ++i)
            fn();
        std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
        best = std::min(best, spent.count() / calls);
    }
    return best;
}

double memcpySeconds() {
    std::vector<char> from(kFrameBytes, 1), to(kFrameBytes);
    return secondsPerCall(
        [&] {
            std::memcpy(to.data(), from.data(), kFrameBytes);
            benchmark::DoNotOptimize(to.data());
        },
        50);
}

const Background& whiteBackdrop() {
    static Background background(u"fill(#FFFFFF)");
    return background;
}

// Draws the frames of an animation one per iteration, starting a new animation at the
// end of each run, so that what an animation works out once per run (a card's transposed
// pictures and backdrop) counts in its share.
void runFrames(benchmark::State& state, std::function<std::unique_ptr<ScreenAnimation>()> make) {
    const Surface before = noise(1), after = noise(2);
    Surface frame(kWidth, kHeight);
    const platform::Rect area = frame.bounds();
    std::unique_ptr<ScreenAnimation> animation = make();
    const int frames = animation->duration() / kFrameStep + 1;
    int elapsed = 0;
    auto oneFrame = [&] {
        bool done = false;
        animation->drawFrame(done, elapsed, before, after, frame, area);
        elapsed = done ? 0 : elapsed + kFrameStep;
        if (done)
            animation = make();
        benchmark::DoNotOptimize(frame.row(0));
    };
    for (auto _ : state) {
        oneFrame();
        benchmark::ClobberMemory();
    }
    // A whole run of frames per batch, so every moment of the animation counts once.
    animation = make();
    elapsed = 0;
    state.counters["x_memcpy"] = secondsPerCall(oneFrame, frames) / memcpySeconds();
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kFrameBytes);
}

void MemcpyFrame(benchmark::State& state) {
    std::vector<char> from(kFrameBytes, 1), to(kFrameBytes);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), kFrameBytes);
        benchmark::DoNotOptimize(to.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kFrameBytes);
}

void Slide(benchmark::State& state) {
    runFrames(state, [] { return std::make_unique<SlideScreenAnimation>(250, 0, kWidth); });
}

void SlideFade(benchmark::State& state) {
    runFrames(state, [] { return std::make_unique<SlideFadeInOutAnimation>(300, kHeight); });
}

void Fade(benchmark::State& state) {
    runFrames(state, [] { return std::make_unique<FadeInOutAnimation>(300, kHeight); });
}

void Switch(benchmark::State& state) {
    runFrames(state, [] {
        return std::make_unique<SwitchScreenAnimation>(350, 1, kWidth, whiteBackdrop());
    });
}

void Flip(benchmark::State& state) {
    runFrames(state, [] { return std::make_unique<FlipScreenAnimation>(400, 0, whiteBackdrop()); });
}

void Genie(benchmark::State& state) {
    runFrames(state, [] {
        return std::make_unique<GenieAnimation>(400, platform::Rect{20, 700, 120, 780});
    });
}

void ReverseSlideFade(benchmark::State& state) {
    runFrames(state, [] {
        return std::make_unique<ReverseAnimation>(
            std::make_unique<SlideFadeInOutAnimation>(300, kHeight));
    });
}

} // namespace

BENCHMARK(MemcpyFrame);
BENCHMARK(Slide);
BENCHMARK(SlideFade);
BENCHMARK(Fade);
BENCHMARK(Switch);
BENCHMARK(Flip);
BENCHMARK(Genie);
BENCHMARK(ReverseSlideFade);

BENCHMARK_MAIN();
