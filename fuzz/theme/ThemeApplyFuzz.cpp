// Applies arbitrary bytes as the chosen theme archive and paints every background its
// settings name, so the settings entry, the images it names and the drawing of their
// layers all meet hostile input. Nothing may crash or run out of memory. Broken themes
// are reported on standard error: run with -close_fd_mask=2 to keep the output short.

#include "platform/gfx/Surface.h"
#include "settings/SettingStore.h"
#include "settings/ThemeManager.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

using namespace vantrel;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The theme is looked up in the program's folder: one of this process's own.
    static std::string home = "/tmp/vt_fuzz_theme_" + std::to_string(getpid());
    std::filesystem::create_directories(home);
    setenv("VANTREL_HOME", home.c_str(), 1);
    setenv("VANTREL_DEVICE", (home + "/device").c_str(), 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::filesystem::path file =
        std::filesystem::path(std::getenv("VANTREL_HOME")) / "fuzz.zip";
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));

    static SettingStore store;
    ThemeManager::instance().applyTheme(store, u"fuzz.zip");
    platform::Surface surface(64, 48);
    int budget = 64;
    for (const auto& [key, value] : store.lines(false)) {
        if (!key.ends_with(u".background") || --budget < 0)
            continue;
        Background(value).draw(surface, {-4, 2, 60, 50}, {0, 0, 40, 48});
    }
    return 0;
}
