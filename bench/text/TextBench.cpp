// A page of the contact list: 40 rows of 25 characters drawn into a 480x800 window
// buffer with a warm cache, once as plain runs and once through the formatted path that
// a list with centred or right-aligned columns takes.

#include "platform/text/TextDrawing.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

using namespace vantrel::platform;

namespace {

std::vector<std::u16string> listPage() {
    static const char16_t* const names[] = {u"Anna Berg",  u"Jonas Weber",   u"Lea Fischer",
                                            u"Paul Novak", u"Mia Lindqvist", u"Omar Haddad",
                                            u"Sara Conti", u"Tim O'Neill"};
    std::vector<std::u16string> rows;
    for (int i = 0; i < 40; ++i) {
        std::u16string row = names[i % 8];
        row += u" +49 170 " + std::u16string(1, char16_t(u'0' + i % 10));
        row.resize(25, u'5');
        rows.push_back(row);
    }
    return rows;
}

void BM_ListPageRuns(benchmark::State& state) {
    FontHandle font = fontFor({13, 400, false, u"Tahoma"});
    Surface surface(480, 800);
    const std::vector<std::u16string> rows = listPage();
    for (auto _ : state) {
        for (int i = 0; i < 40; ++i)
            drawRun(surface, surface.bounds(), {8, i * 20}, *font, rows[i], rgb(0x33, 0x33, 0x33));
        benchmark::DoNotOptimize(surface.row(0));
    }
    state.SetItemsProcessed(state.iterations() * 40);
}
BENCHMARK(BM_ListPageRuns)->Unit(benchmark::kMillisecond);

void BM_ListPageFormatted(benchmark::State& state) {
    FontHandle font = fontFor({13, 400, false, u"Tahoma"});
    Surface surface(480, 800);
    const std::vector<std::u16string> rows = listPage();
    const unsigned flags = TextFormat::Right | TextFormat::VerticalCentre | TextFormat::WordBreak |
                           TextFormat::NoPrefix | TextFormat::NoClip;
    for (auto _ : state) {
        for (int i = 0; i < 40; ++i)
            drawFormatted(&surface, Rect::fromSize(8, i * 20, 464, 20), surface.bounds(), *font,
                          rows[i], rgb(0x33, 0x33, 0x33), flags);
        benchmark::DoNotOptimize(surface.row(0));
    }
    state.SetItemsProcessed(state.iterations() * 40);
}
BENCHMARK(BM_ListPageFormatted)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
