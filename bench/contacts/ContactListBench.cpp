// The contact list at the sizes of real address books:
//   CacheFirstScreen/N  the loader starts over a cache of N contacts (no store) until the
//                       list holds a first screen of rows and has painted it;
//   StorePass/N         a full load over a demo device of N contacts whose cache is
//                       current: cache, store pass with the pictures' bytes, cache rewrite;
//   TypedLetter/N       a typed letter filters N rows and paints;
//   TypedBackspace/N    backspace after it brings the N rows back and paints;
//   ScrollFrame/N/P     one scroll step and the paint of the visible rows; with P, every
//                       other row has a picture, decoded when first drawn and kept within
//                       the picture cache's budget (N rows do not fit: the cache turns over).
// StorePass seeds its device once with "vantrel-device seed-demo --contacts N" under
// /tmp (slow the first time; kept for later runs).

#include "contacts/ContactCache.h"
#include "contacts/ContactSmartListControl.h"
#include "contacts/ContactStoreAccess.h"
#include "platform/core/Backend.h"
#include "platform/core/Clock.h"
#include "platform/core/Paths.h"
#include "platform/core/Window.h"
#include "platform/imaging/PngWriter.h"
#include "platform/pim/PimApp.h"
#include "settings/DefaultSettingProvider.h"
#include "settings/SettingManager.h"
#include "settings/SettingStore.h"
#include "ui/HostWindow.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

using namespace vantrel;
namespace fs = std::filesystem;

namespace {

constexpr int width = 480;
constexpr int height = 800;

ContactRecord demoRecord(int i) {
    static const char16_t* first[] = {u"Anna", u"Jörg", u"Émile", u"Maël",
                                      u"Otto", u"Zoë",  u"Björn"};
    static const char16_t* last[] = {u"Berg", u"Čapek", u"Müller", u"Álvarez", u"Smith", u"Zeller"};
    ContactRecord record;
    record.objectId = static_cast<uint32_t>(i + 1);
    std::string n = std::to_string(i);
    record.firstLine = std::u16string(last[i % 6]) + u", " + first[(i / 6) % 7] + u" " +
                       std::u16string(n.begin(), n.end());
    record.sortKey = upperCased(record.firstLine);
    record.secondLine = u"+41 79 555 " + std::u16string(n.begin(), n.end());
    record.phones = {{record.secondLine, prop::mobile}};
    record.valid = true;
    return record;
}

struct Scene {
    Scene() {
        char pattern[] = "/tmp/vantrel-bench-contacts-XXXXXX";
        home = mkdtemp(pattern);
        setenv("VANTREL_HOME", home.c_str(), 1);
        ScreenMetrics::setSizeSource([] { return platform::Size{width, height}; });
        platform::useVirtualClock(true, 1000);
        SettingStore& store = SettingStore::instance();
        store.setDefaultProvider(&provider);
        store.loadDefaults();
        platform::registerClass({u"contact-bench", &hostWindowProcedure});
        window = platform::createWindow(u"contact-bench", u"bench", {0, 0, width, height}, false);
    }
    ~Scene() { fs::remove_all(home); }

    std::unique_ptr<ContactSmartListControl> makeList() {
        auto list = std::make_unique<ContactSmartListControl>(window);
        list->layout({0, 0, width, height});
        return list;
    }
    // Applies what the loader hands over until `done` holds.
    template <class Done> static void pump(ContactSmartListControl& list, Done done) {
        while (!done()) {
            platform::pumpMessages();
            list.onLoaderMessage();
            std::this_thread::yield();
        }
    }
    void fill(ContactSmartListControl& list, int count) {
        std::vector<ContactRecord> records;
        for (int i = 0; i < count; ++i)
            records.push_back(demoRecord(i));
        std::vector<const ContactRecord*> pointers;
        for (auto& r : records)
            pointers.push_back(&r);
        ContactCache::write(ContactCache::defaultPath(), pointers);
        list.startLoading();
        pump(list, [&] { return !list.isLoading(); });
    }

    SettingManager manager;
    DefaultSettingProvider provider{manager, SettingStore::instance()};
    platform::WindowHandle window = 0;
    fs::path home;
    platform::Surface buffer{width, height};
};

Scene& scene() {
    static Scene s;
    return s;
}

void BM_CacheFirstScreen(benchmark::State& state) {
    Scene& s = scene();
    auto list = s.makeList();
    s.fill(*list, static_cast<int>(state.range(0))); // writes the cache
    PaintContext context{s.buffer, width, height, 0};
    for (auto _ : state) {
        // A new list, as at start-up: the rows of the last run go untimed.
        state.PauseTiming();
        list = s.makeList();
        state.ResumeTiming();
        list->startLoading();
        Scene::pump(*list, [&] { return list->shownItems().size() >= 20; });
        list->paint(context, list->rect());
        state.PauseTiming();
        Scene::pump(*list, [&] { return !list->isLoading(); });
        state.ResumeTiming();
    }
}
BENCHMARK(BM_CacheFirstScreen)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_StorePass(benchmark::State& state) {
    Scene& s = scene();
    const int count = static_cast<int>(state.range(0));
    fs::path device = "/tmp/vantrel-bench-device-" + std::to_string(count);
    if (!fs::exists(device / "contacts.db")) {
        std::string command = "VANTREL_DEVICE=" + device.string() +
                              " " VANTREL_DEVICE_TOOL " seed-demo --contacts " +
                              std::to_string(count) + " >/dev/null";
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("seed-demo failed");
            return;
        }
    }
    setenv("VANTREL_DEVICE", device.c_str(), 1);
    auto list = s.makeList();
    list->setStore(std::make_shared<ContactStoreAccess>(platform::pim::PimApp::create()));
    list->startLoading(); // writes a current cache
    Scene::pump(*list, [&] { return !list->isLoading(); });
    for (auto _ : state) {
        list->startLoading();
        Scene::pump(*list, [&] { return !list->isLoading(); });
    }
    state.counters["rows"] = static_cast<double>(list->allItems().size());
}
BENCHMARK(BM_StorePass)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

// A typed letter filters and paints (timed); backspace brings every row back (timed
// apart, in BM_TypedBackspace).
void typing(benchmark::State& state, bool timeLetter) {
    Scene& s = scene();
    auto list = s.makeList();
    s.fill(*list, static_cast<int>(state.range(0)));
    PaintContext context{s.buffer, width, height, 0};
    auto step = [&](int key, char16_t character, bool timed) {
        if (!timed)
            state.PauseTiming();
        list->onKey(key, character);
        list->paint(context, list->rect());
        benchmark::ClobberMemory();
        if (!timed)
            state.ResumeTiming();
    };
    for (auto _ : state) {
        step(0, u'z', timeLetter);
        step(int(platform::key::back), 0, !timeLetter);
    }
}

void BM_TypedLetter(benchmark::State& state) {
    typing(state, true);
}
BENCHMARK(BM_TypedLetter)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_TypedBackspace(benchmark::State& state) {
    typing(state, false);
}
BENCHMARK(BM_TypedBackspace)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_ScrollFrame(benchmark::State& state) {
    Scene& s = scene();
    auto list = s.makeList();
    s.fill(*list, static_cast<int>(state.range(0)));
    if (state.range(1)) {
        // A 96 x 96 avatar as the demo device stores them, a few hundred bytes of PNG.
        platform::ArgbImage avatar(96, 96, 0xFFE0E8F0);
        for (int y = 8; y < 88; ++y)
            for (int x = 8 + (y / 16) * 8; x < 88 - (y / 16) * 8; ++x)
                avatar.set(x, y, 0xFF3060A0);
        std::string png = platform::encodePng(avatar);
        int row = 0;
        for (const ItemRef& ref : list->allItems())
            if (auto* contact = dynamic_cast<ContactListItem*>(ref.get()); contact && row++ % 2)
                contact->setPictureBytes(std::vector<uint8_t>(png.begin(), png.end()));
    }
    PaintContext context{s.buffer, width, height, 0};
    const int range = list->contentHeight() - height;
    int offset = 0;
    for (auto _ : state) {
        offset = (offset + 37) % range;
        list->setScrollOffset(offset);
        list->paint(context, list->rect());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ScrollFrame)->Args({10000, 0})->Args({10000, 1})->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
