// Phone pad digits typed into a contact list of 100,000 rows, each keystroke filtering
// every row and painting the result:
//   PadDigitsCommon  "2378" then four backspaces: words under b-e-r-g abound, so each
//                    filter run ends at the first screen of matches;
//   PadDigitsRare    "9999" then four backspaces: almost nothing matches, so each
//                    filter run reads every row (the worst case).
// The "key" counter is the time of one keystroke with its repaint.

#include "contacts/ContactSmartListControl.h"
#include "phone/PhoneKeyMap.h"
#include "platform/core/Backend.h"
#include "platform/core/Clock.h"
#include "platform/core/Window.h"
#include "settings/DefaultSettingProvider.h"
#include "settings/SettingManager.h"
#include "settings/SettingStore.h"
#include "ui/HostWindow.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace vantrel;

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
    record.sortKey = record.firstLine;
    record.phones = {{u"+41 79 555 " + std::u16string(n.begin(), n.end()), prop::mobile}};
    record.valid = true;
    return record;
}

struct Scene {
    Scene() {
        ScreenMetrics::setSizeSource([] { return platform::Size{width, height}; });
        platform::useVirtualClock(true, 1000);
        SettingStore& store = SettingStore::instance();
        store.setDefaultProvider(&provider);
        store.loadDefaults();
        PhoneKeyMap::publish(*store.resolve(u"phonepad", u"phonepad", u"keys.map"));
        platform::registerClass({u"pad-bench", &hostWindowProcedure});
        window = platform::createWindow(u"pad-bench", u"bench", {0, 0, width, height}, false);
        list = std::make_unique<ContactSmartListControl>(window);
        list->layout({0, 0, width, height});
        // Rows made as the loader makes them, with their search keys.
        for (int i = 0; i < 100000; ++i)
            list->appendItem(makeItem<ContactListItem>(demoRecord(i)));
        list->refilter();
    }

    SettingManager manager;
    DefaultSettingProvider provider{manager, SettingStore::instance()};
    platform::WindowHandle window = 0;
    std::unique_ptr<ContactSmartListControl> list;
    platform::Surface buffer{width, height};
};

Scene& scene() {
    static Scene s;
    return s;
}

void typeDigits(benchmark::State& state, std::u16string_view digits) {
    Scene& s = scene();
    ContactSmartListControl& list = *s.list;
    PaintContext context{s.buffer, width, height, 0};
    for (auto _ : state) {
        for (char16_t digit : digits) {
            list.onKey(0, digit);
            list.paint(context, list.rect());
        }
        for (size_t i = 0; i < digits.size(); ++i) {
            list.onKey(int(platform::key::back), 0);
            list.paint(context, list.rect());
        }
        benchmark::ClobberMemory();
    }
    state.counters["key"] =
        benchmark::Counter(2.0 * static_cast<double>(digits.size() * state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_PadDigitsCommon(benchmark::State& state) {
    typeDigits(state, u"2378");
}
BENCHMARK(BM_PadDigitsCommon)->Unit(benchmark::kMillisecond);

void BM_PadDigitsRare(benchmark::State& state) {
    typeDigits(state, u"9999");
}
BENCHMARK(BM_PadDigitsRare)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
