// Feeds arbitrary bytes to the settings file reader and the store, and every decoded
// line's value to each value parser: nothing outside data can hold may crash them.

#include "settings/SettingQuery.h"
#include "settings/SettingStore.h"
#include "settings/TextFile.h"
#include "settings/TextFormatter.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace vantrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The dump goes to a private program folder, never to a user's.
    static bool prepared = [] {
        char pattern[] = "/tmp/vantrel-fuzz-settings-XXXXXX";
        if (const char* folder = mkdtemp(pattern))
            setenv("VANTREL_HOME", folder, 1);
        ScreenMetrics::setSizeSource([] { return platform::Size{480, 800}; });
        return true;
    }();
    (void)prepared;

    SettingStore store;
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    decodeTextLines(bytes, [&](std::u16string_view line) {
        store.addLine(line);
        size_t equals = line.find(u'=');
        std::u16string_view value = equals == line.npos ? line : line.substr(equals + 1);
        Box(value).rectangle({-7, 3, 240, 320});
        describeFont(Font(value));
        describeBackground(Background(value));
        ImageHolder(value).cacheKey();
        parseMeasure(value);
        parseColour(value);
        formatText(value, {u"name", 42});
    });
    // Ask for every stored key as each kind of value, the cache included.
    for (bool landscape : {false, true}) {
        store.setLandscape(landscape);
        std::vector<std::u16string> keys;
        for (const auto& [key, value] : store.lines(landscape))
            keys.push_back(key);
        for (const auto& key : keys) {
            size_t dot = key.find(u'.');
            std::u16string_view type = std::u16string_view(key).substr(0, dot);
            std::u16string_view rest =
                dot == key.npos ? std::u16string_view() : std::u16string_view(key).substr(dot + 1);
            store.text(type, u"", rest);
            store.number(type, u"x", rest);
            store.box(type, u"", rest);
            // Each kind under its own instance, so no key is asked for as two kinds.
            store.font(type, u"f", rest);
            store.background(type, u"b", rest);
        }
    }
    // Writing the file is slow; one input in sixteen is enough to exercise the dump.
    if (size % 16 == 0)
        store.dump();
    return 0;
}
