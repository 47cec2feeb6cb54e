// One scroll frame of a full-screen contact-style list: the offset moves, and the list
// paints its visible rows (background, separators, text, scroll bar) into a 480 x 800
// buffer. A frame copy of the same buffer is measured beside it for scale.

#include "lists/BaseItem.h"
#include "lists/SmartListControl.h"
#include "platform/core/Window.h"
#include "platform/gfx/Surface.h"
#include "settings/DefaultSettingProvider.h"
#include "settings/SettingManager.h"
#include "settings/SettingStore.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <string>

using namespace vantrel;

namespace {

constexpr int width = 480;
constexpr int height = 800;

struct Scene {
    Scene() {
        ScreenMetrics::setSizeSource([] { return platform::Size{width, height}; });
        SettingStore& store = SettingStore::instance();
        store.setDefaultProvider(&provider);
        store.loadDefaults();
        store.addLine(u"contactlist.bench.box=0,0,100%,100%");
        platform::registerClass(
            {u"list-bench", [](platform::WindowHandle w, uint32_t id, uintptr_t wp, intptr_t lp) {
                 return platform::defaultWindowProcedure(w, id, wp, lp);
             }});
        window = platform::createWindow(u"list-bench", u"bench", {0, 0, width, height}, false);
        list = std::make_unique<SmartListControl>(window, u"bench", u"contactlist");
        char16_t section = 0;
        for (int i = 0; i < 3000; ++i) {
            std::u16string name(1, static_cast<char16_t>(u'A' + i * 26 / 3000));
            std::string digits = std::to_string(100000 + i);
            name += u"lexander " + std::u16string(digits.begin(), digits.end());
            if (name.front() != section) {
                section = name.front();
                list->appendItem(makeItem<SeparatorItem>(std::u16string(1, section)));
            }
            list->appendItem(makeItem<SimpleItem>(name));
        }
        list->layout({0, 0, width, height});
    }

    SettingManager manager;
    DefaultSettingProvider provider{manager, SettingStore::instance()};
    platform::WindowHandle window = 0;
    std::unique_ptr<SmartListControl> list;
    platform::Surface buffer{width, height};
};

Scene& scene() {
    static Scene s;
    return s;
}

void BM_ScrollFrame(benchmark::State& state) {
    Scene& s = scene();
    PaintContext context{s.buffer, width, height, 0};
    const int range = s.list->contentHeight() - height;
    int offset = 0;
    for (auto _ : state) {
        offset = (offset + 37) % range;
        s.list->setScrollOffset(offset);
        s.list->paint(context, s.list->rect());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ScrollFrame)->Unit(benchmark::kMicrosecond);

void BM_FrameMemcpy(benchmark::State& state) {
    platform::Surface from(width, height);
    platform::Surface to(width, height);
    for (auto _ : state) {
        std::memcpy(to.row(0), from.row(0), sizeof(platform::Pixel565) * width * height);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FrameMemcpy)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
