// A second process of the device for the registry tests: it writes what its command line
// says into the current-user hive and exits, so a test can watch another process's writes.
//
//   registry_writer dword KEY NAME NUMBER [NAME NUMBER ...]   writes each pair in turn
//   registry_writer read KEY NAME                              prints the value
//   registry_writer fill KEY PREFIX COUNT                      writes PREFIX0..PREFIXn = n
//   registry_writer count KEY NAME COUNT                       writes 1..COUNT to NAME
//   registry_writer watch KEY NAME COUNT                       the same while watching NAME
//                                                              with a slow callback, then
//                                                              exits without cancelling
#include "platform/core/Utf.h"
#include "platform/registry/Registry.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

using namespace vantrel::platform;

namespace {

int usage() {
    std::fprintf(stderr, "usage: registry_writer dword KEY NAME NUMBER [NAME NUMBER ...]\n"
                         "       registry_writer fill KEY PREFIX COUNT\n"
                         "       registry_writer count KEY NAME COUNT\n"
                         "       registry_writer watch KEY NAME COUNT\n");
    return 2;
}

bool write(const std::u16string& key, const std::string& name, unsigned long number) {
    return registry::writeDword(registry::Root::currentUser, key, toUtf16(name),
                                static_cast<uint32_t>(number));
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4)
        return usage();
    std::string command = argv[1];
    std::u16string key = toUtf16(argv[2]);
    if (command == "dword" && argc % 2 == 1) {
        for (int i = 3; i + 1 < argc; i += 2)
            if (!write(key, argv[i], std::strtoul(argv[i + 1], nullptr, 10)))
                return 1;
        return 0;
    }
    if (command == "read" && argc == 4) {
        uint32_t value = 0;
        if (!registry::readDword(registry::Root::currentUser, key, toUtf16(argv[3]), value))
            return 1;
        std::printf("%u\n", value);
        return 0;
    }
    unsigned long count = std::strtoul(argv[4], nullptr, 10);
    if (command == "fill" && argc == 5) {
        for (unsigned long n = 0; n < count; ++n)
            if (!write(key, argv[3] + std::to_string(n), n))
                return 1;
        return 0;
    }
    if (command == "watch" && argc == 5) {
        // A callback still running when main returns: the exit must neither hang nor
        // pull anything from under it.
        registry::notifyChange(registry::Root::currentUser, key, toUtf16(argv[3]),
                               [] { std::this_thread::sleep_for(std::chrono::milliseconds(50)); });
        command = "count";
    }
    if (command == "count" && argc == 5) {
        for (unsigned long n = 1; n <= count; ++n)
            if (!write(key, argv[3], n))
                return 1;
        return 0;
    }
    return usage();
}
