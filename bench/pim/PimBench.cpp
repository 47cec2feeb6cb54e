// The contact loader's store pass: every index from 1 to n read with the default
// property table (the fixed head, the favourite and what the default templates name),
// over 10,000 and 100,000 contacts. The goal is 10,000 in under 100 ms. Also one read
// by object id, as a notification handler does it.
#include "platform/core/Utf.h"
#include "platform/pim/ItemCollection.h"
#include "platform/pim/PimApp.h"
#include "platform/pim/PimFolder.h"
#include "platform/pim/PimItem.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

using namespace vantrel::platform;
using namespace vantrel::platform::pim;

namespace {

// Each size gets its own device, filled once per run of the benchmark program.
std::shared_ptr<PimApp> storeWith(int64_t contacts) {
    static std::map<int64_t, std::shared_ptr<PimApp>> stores;
    if (auto found = stores.find(contacts); found != stores.end())
        return found->second;
    std::filesystem::path folder =
        std::filesystem::temp_directory_path() /
        ("vantrel-pim-bench-" + std::to_string(::getpid()) + "-" + std::to_string(contacts));
    std::filesystem::remove_all(folder);
    ::setenv("VANTREL_DEVICE", folder.c_str(), 1);
    auto app = PimApp::create();
    const char16_t* cities[] = {u"Zürich", u"Genève", u"Москва", u"東京"};
    for (int64_t i = 0; i < contacts; ++i) {
        auto item = app->createItem(itemContact);
        std::u16string n = toUtf16(std::to_string(i * 7919 % contacts));
        item->setProps(0, std::vector{PropValue::ofString(prop::firstName, u"Contact " + n),
                                      PropValue::ofString(prop::lastName, u"Müller-" + n),
                                      PropValue::ofString(prop::mobilePhone, u"+41 79 " + n),
                                      PropValue::ofString(prop::homePhone, u"044 " + n),
                                      PropValue::ofString(prop::email1, u"c" + n + u"@example.org"),
                                      PropValue::ofString(prop::company, u"Company " + n),
                                      PropValue::ofString(prop::homeCity, cities[i % 4]),
                                      PropValue::ofString(prop::categories, u"Work, VIP")});
        item->save();
    }
    stores[contacts] = app;
    std::atexit([] {
        for (auto& [size, store] : stores)
            std::filesystem::remove_all(
                std::filesystem::temp_directory_path() /
                ("vantrel-pim-bench-" + std::to_string(::getpid()) + "-" + std::to_string(size)));
    });
    return app;
}

// The fixed head, the favourite, then what "%fileas", "%phone (%company)" and the
// default detail lines ("%categories" and the derived address placeholders, which
// fetch all three addresses) add.
std::vector<PropId> defaultPropertyTable(PimApp& app) {
    std::vector<PropId> table{0x10000066, 0x0080001F, 0x0096001F, 0x0097001F, 0x0098001F,
                              0x0099001F, 0x009A001F, 0x009B001F, 0x009C001F, 0x009D001F,
                              0x009E001F, 0x009F001F, 0x00A0001F, 0x00A1001F, 0x0090001F,
                              0x0091001F, 0x0092001F};
    const std::u16string_view names[] = {u"is_favorite2"};
    std::vector<PropId> favorite;
    app.getIDsFromNames(names, 0x0061000B, favorite);
    table.push_back(favorite[0]);
    table.push_back(0x008A001F);
    table.push_back(0x101D001F);
    for (PropId address : {0x10C0001Fu, 0x10D0001Fu, 0x10E0001Fu})
        for (PropId part = 0; part < 6; ++part)
            table.push_back(address - 0x10000000u * (part != 0) + (part << 16));
    return table;
}

void readEveryIndex(benchmark::State& state) {
    auto app = storeWith(state.range(0));
    std::vector<PropId> table = defaultPropertyTable(*app);
    std::vector<PropValue> values;
    for (auto _ : state) {
        auto items = app->getDefaultFolder(folderContacts)->getItems();
        for (uint32_t i = 1; i <= items->count(); ++i)
            if (!items->getProps(i, table, values))
                state.SkipWithError("a read failed");
        benchmark::DoNotOptimize(values.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(readEveryIndex)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void readOneByOid(benchmark::State& state) {
    auto app = storeWith(10000);
    const PropId ids[] = {prop::fileAs, prop::mobilePhone, prop::company};
    std::vector<PropValue> values;
    Oid oid = 1;
    for (auto _ : state) {
        auto item = app->getItemFromOidEx(oid);
        item->getProps(ids, values);
        oid = oid % 10000 + 1;
    }
}
BENCHMARK(readOneByOid)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
