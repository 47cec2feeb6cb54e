// Opens arbitrary bytes as a theme archive and reads what a theme would: the settings
// entry and every listed entry. Nothing may crash, and nothing larger than the cap may
// come out.

#include "platform/zip/ZipArchive.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

using namespace vantrel::platform;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The archive reader opens files by path, so the input goes through a file of this
    // process's own.
    static const std::string file = "/tmp/vt_fuzz_zip_" + std::to_string(getpid()) + ".zip";
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    auto archive = ZipArchive::open(file);
    if (!archive)
        return 0;
    std::string out;
    archive->read(u"settings.ini", out);
    int budget = 32;
    for (const std::u16string& name : archive->entryNames()) {
        if (--budget < 0)
            break;
        if (archive->read(name, out) && out.size() > kMaxZipEntrySize)
            std::abort();
    }
    return 0;
}
