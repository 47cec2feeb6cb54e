// The drawing a full repaint does, against memcpy of a 480 x 800 RGB565 window: prepared
// images copied and blended, whole-screen backgrounds with their layers, and a page of
// list text. Compare each with BM_MemcpyWindow of the same run.

#include "settings/Background.h"
#include "settings/Font.h"
#include "graphics/Image.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <map>
#include <string>

namespace {

using namespace vantrel;
using namespace vantrel::platform;

constexpr int windowWidth = 480;
constexpr int windowHeight = 800;

ArgbImage picture(int width, int height, int alpha) {
    ArgbImage p(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            p.set(x, y, argb(alpha, x & 0xFF, y & 0xFF, (x ^ y) & 0xFF));
    return p;
}

// The pictures the benchmarked backgrounds name, as a theme would provide them.
void installPictures() {
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    ImageCache::instance().setLoader([](const std::u16string& name, bool) {
        static const std::map<std::u16string, ArgbImage> pictures = {
            {u"screen.png", picture(windowWidth, windowHeight, 255)},
            {u"edge.png", picture(8, 8, 255)},
            {u"glass.png", picture(12, 12, 160)},
        };
        auto found = pictures.find(name);
        return found == pictures.end()
                   ? nullptr
                   : std::shared_ptr<Image>(Image::FromArgb(found->second, name, true));
    });
}

void BM_MemcpyWindow(benchmark::State& state) {
    Surface from(windowWidth, windowHeight), to(windowWidth, windowHeight);
    const size_t bytes = size_t{windowWidth} * windowHeight * sizeof(Pixel565);
    for (auto _ : state) {
        std::memcpy(to.row(0), from.row(0), bytes);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_MemcpyWindow);

void BM_ImageOpaqueFullWindow(benchmark::State& state) {
    auto image = Image::FromArgb(picture(windowWidth, windowHeight, 255), u"opaque", true);
    Surface window(windowWidth, windowHeight);
    for (auto _ : state) {
        image->drawAt(window, 0, 0, window.bounds());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ImageOpaqueFullWindow);

void BM_ImageAlphaFullWindow(benchmark::State& state) {
    auto image = Image::FromArgb(picture(windowWidth, windowHeight, 128), u"alpha", true);
    Surface window(windowWidth, windowHeight);
    for (auto _ : state) {
        image->drawAt(window, 0, 0, window.bounds());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ImageAlphaFullWindow);

void drawBackground(benchmark::State& state, std::u16string_view value) {
    installPictures();
    Background background(value);
    Surface window(windowWidth, windowHeight);
    background.preload();
    for (auto _ : state) {
        background.draw(window, window.bounds(), window.bounds());
        benchmark::ClobberMemory();
    }
}

void BM_BackgroundTranslucentFullWindow(benchmark::State& state) {
    drawBackground(state, u"fillalpha(#FFFFFF,180),solidborder(#333333,1)");
}
BENCHMARK(BM_BackgroundTranslucentFullWindow);

void BM_BackgroundImageWithEdgesFullWindow(benchmark::State& state) {
    drawBackground(state, u"stretchimage(screen.png),toptileimage(edge.png),"
                          u"bottomtileimage(edge.png),lefttileimage(edge.png),"
                          u"righttileimage(edge.png),lefttopimage(glass.png),"
                          u"righttopimage(glass.png),leftbottomimage(glass.png),"
                          u"rightbottomimage(glass.png),outerborder(#000000,2)");
}
BENCHMARK(BM_BackgroundImageWithEdgesFullWindow);

void BM_BackgroundTiledGlassFullWindow(benchmark::State& state) {
    drawBackground(state, u"tileimage(glass.png)");
}
BENCHMARK(BM_BackgroundTiledGlassFullWindow);

// A list page: 40 rows of 25 characters, each row its own text, as contact names are.
void BM_ListPageText(benchmark::State& state) {
    Font font(u"16,bold,Segoe UI,#000000");
    Surface window(windowWidth, windowHeight);
    std::u16string rows[40];
    for (int i = 0; i < 40; ++i) {
        rows[i] = u"Contact Name Number ";
        rows[i] += static_cast<char16_t>(u'A' + i % 26);
        rows[i] += u" 0" + std::u16string(1, static_cast<char16_t>(u'0' + i % 10)) + u"xy";
        rows[i].resize(25, u'.');
    }
    for (auto _ : state) {
        for (int i = 0; i < 40; ++i)
            font.drawText(window, rows[i], Rect::fromSize(10, i * 20, 460, 20));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ListPageText)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
