// Start-up loading of the setting store and the cost of resolving every built-in key.

#include "settings/DefaultSettingProvider.h"
#include "settings/DefaultSettings.h"
#include "settings/ThemeManager.h"

#include "platform/core/Paths.h"
#include "platform/core/Utf.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {

using namespace vantrel;

// A private program and device folder, so the benchmark never touches a user's data.
const bool folders = [] {
    char pattern[] = "/tmp/vantrel-bench-settings-XXXXXX";
    const char* folder = mkdtemp(pattern);
    if (!folder)
        std::abort();
    setenv("VANTREL_HOME", folder, 1);
    setenv("VANTREL_DEVICE", (std::string(folder) + "/device").c_str(), 1);
    platform::ensureFolder(platform::deviceFolder());
    ScreenMetrics::setSizeSource([] { return platform::Size{480, 800}; });

    // A theme-sized file in the code page and a language file in UTF-16.
    std::ofstream theme(platform::programFolder() / "theme.ini", std::ios::binary);
    theme << "# a large theme\r\n$accent=#FF6A00\r\n";
    for (int i = 0; i < 2000; ++i)
        theme << "themed" << i % 40 << ".*.item" << i << ".background=fill($accent),margin("
              << i % 7 << "),solidborder(#333333,1)\r\n";
    std::ofstream language(platform::programFolder() / "xx.lang.ini", std::ios::binary);
    std::u16string text = u"\uFEFF";
    for (int i = 0; i < 500; ++i)
        text += u"menubutton.entry" + platform::toUtf16(std::to_string(i)) +
                u".text=Men\u00FC eintrag " + platform::toUtf16(std::to_string(i)) + u"\r\n";
    for (char16_t c : text)
        language.put(static_cast<char>(c & 0xFF)).put(static_cast<char>(c >> 8));
    return true;
}();

void loadStartUp(SettingStore& store, bool withFiles) {
    store.suspendRehashing();
    store.loadDefaults();
    if (withFiles) {
        store.loadFile(u"theme.ini");
        store.loadFile(u"xx.lang.ini");
    }
    store.resumeRehashing();
}

void BM_LoadBuiltInLines(benchmark::State& state) {
    SettingManager manager;
    for (auto _ : state) {
        SettingStore store;
        DefaultSettingProvider provider(manager, store);
        store.setDefaultProvider(&provider);
        loadStartUp(store, false);
        benchmark::DoNotOptimize(store.lines(false).size());
    }
}
BENCHMARK(BM_LoadBuiltInLines)->Unit(benchmark::kMicrosecond);

void BM_LoadBuiltInsThemeAndLanguage(benchmark::State& state) {
    SettingManager manager;
    for (auto _ : state) {
        SettingStore store;
        DefaultSettingProvider provider(manager, store);
        store.setDefaultProvider(&provider);
        loadStartUp(store, true);
        benchmark::DoNotOptimize(store.lines(false).size());
    }
}
BENCHMARK(BM_LoadBuiltInsThemeAndLanguage)->Unit(benchmark::kMicrosecond);

// Every built-in key asked for once, as the kind of value its name suggests.
void resolveEveryKey(SettingStore& store) {
    for (auto list : {baseSettingLines(), screenSettingLines(), textSettingLines()}) {
        for (std::u16string_view line : list) {
            std::u16string_view key = line.substr(0, line.find(u'='));
            size_t first = key.find(u'.');
            size_t second = key.find(u'.', first + 1);
            if (second == std::u16string_view::npos)
                second = first;
            std::u16string_view type = key.substr(0, first);
            std::u16string_view instance = key.substr(first + 1, second - first - 1);
            std::u16string_view property = key.substr(second + 1);
            if (key.ends_with(u".box"))
                benchmark::DoNotOptimize(&store.box(type, instance, property));
            else if (key.ends_with(u".font") || key.find(u".font.") != key.npos)
                benchmark::DoNotOptimize(&store.font(type, instance, property));
            else if (key.find(u"background") != key.npos)
                benchmark::DoNotOptimize(&store.background(type, instance, property));
            else
                benchmark::DoNotOptimize(store.text(type, instance, property));
        }
    }
}

void BM_ResolveEveryKeyFirstTime(benchmark::State& state) {
    SettingManager manager;
    SettingStore store;
    DefaultSettingProvider provider(manager, store);
    store.setDefaultProvider(&provider);
    loadStartUp(store, false);
    for (auto _ : state) {
        store.clearCaches();
        resolveEveryKey(store);
    }
}
BENCHMARK(BM_ResolveEveryKeyFirstTime)->Unit(benchmark::kMicrosecond);

void BM_ResolveEveryKeyCached(benchmark::State& state) {
    SettingManager manager;
    SettingStore store;
    DefaultSettingProvider provider(manager, store);
    store.setDefaultProvider(&provider);
    loadStartUp(store, false);
    resolveEveryKey(store);
    for (auto _ : state)
        resolveEveryKey(store);
}
BENCHMARK(BM_ResolveEveryKeyCached)->Unit(benchmark::kMicrosecond);

} // namespace

// A hostile theme's worst: variables that double at every level, used on line after
// line, then tens of thousands of variables. Loading must stay far below a second.
void BM_LoadHostileVariables(benchmark::State& state) {
    std::vector<std::u16string> lines;
    auto name = [](int level) { return u"$v" + platform::toUtf16(std::to_string(100 + level)); };
    for (int level = 0; level < 40; ++level)
        lines.push_back(name(level) + u"=" + name(level + 1) + name(level + 1));
    lines.push_back(name(40) + u"=x");
    for (int i = 0; i < 2000; ++i)
        lines.push_back(u"a.b.c" + platform::toUtf16(std::to_string(i)) + u"=" + name(20));
    for (int i = 0; i < 40000; ++i)
        lines.push_back(u"$w" + platform::toUtf16(std::to_string(i)) + u"=$w" +
                        platform::toUtf16(std::to_string(i + 1)));
    for (auto _ : state) {
        SettingStore store;
        for (const auto& line : lines)
            store.addLine(line);
        benchmark::DoNotOptimize(store.lines(false).size());
    }
}
BENCHMARK(BM_LoadHostileVariables)->Unit(benchmark::kMillisecond);

// A language chosen while the program runs: the built-in lines again, the language file
// over them, and the choice written to the registry. The user waits for all of it.
void BM_ChooseLanguageWhileRunning(benchmark::State& state) {
    SettingManager manager;
    SettingStore store;
    DefaultSettingProvider provider(manager, store);
    store.setDefaultProvider(&provider);
    loadStartUp(store, false);
    for (auto _ : state) {
        ThemeManager::instance().chooseLanguage(store, manager, u"xx.lang.ini");
        benchmark::DoNotOptimize(store.lines(false).size());
    }
}
BENCHMARK(BM_ChooseLanguageWhileRunning)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
