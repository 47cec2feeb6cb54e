// Feeds arbitrary bytes to the registry as its database file, as a damaged or foreign
// "registry.db" in the device folder would. Whatever the file holds, nothing may crash,
// and once a file the registry cannot use has been moved aside, a write and a read of it
// must work.
#include "platform/registry/Registry.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace vantrel::platform::registry;

namespace {

const fs::path& deviceFolder() {
    static const fs::path folder = [] {
        std::string pattern = (fs::temp_directory_path() / "vantrel-fuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        setenv("VANTREL_DEVICE", pattern.c_str(), 1);
        return fs::path(pattern);
    }();
    return folder;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fs::path& folder = deviceFolder();
    for (const auto& entry : fs::directory_iterator(folder))
        fs::remove(entry.path());
    {
        std::ofstream file(folder / "registry.db", std::ios::binary);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    const Root root = Root::currentUser;
    uint32_t number = 0;
    std::u16string text;
    readDword(root, u"Software\\Vantrel\\Contact", u"Fullscreen", number);
    readString(root, u"Software\\Vantrel\\Contact", u"Theme", text);
    if (!writeDword(root, u"Software\\Vantrel\\Contact", u"Fullscreen", 7) ||
        !readDword(root, u"software\\vantrel\\contact", u"FULLSCREEN", number) || number != 7)
        std::abort();
    deleteKey(root, u"Software");
    return 0;
}
