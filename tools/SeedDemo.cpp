#include "tools/SeedDemo.h"

#include "platform/core/Clock.h"
#include "platform/pim/ItemCollection.h"
#include "platform/pim/PimApp.h"
#include "platform/pim/PimFolder.h"
#include "tools/DemoContacts.h"
#include "tools/DemoMessages.h"

#include <cstdio>
#include <cstdlib>

namespace vantrel::tools {

using namespace vantrel::platform::pim;

const char* const seedDemoUsage = "       vantrel-device seed-demo [--contacts N] [--messages M] "
                                  "[--seed S]   fills an empty device\n";

namespace {

int usage() {
    std::fprintf(stderr, "usage:\n%s", seedDemoUsage);
    return 2;
}

bool parseNumber(const std::string& text, uint64_t limit, uint64_t& out) {
    char* end = nullptr;
    unsigned long long value = std::strtoull(text.c_str(), &end, 10);
    if (text.empty() || *end || text[0] == '-' || value > limit)
        return false;
    out = value;
    return true;
}

} // namespace

int runSeedDemo(const std::vector<std::string>& args) {
    uint64_t contacts = 80, messages = 0, seed = 1;
    for (size_t i = 0; i < args.size(); i += 2) {
        if (i + 1 >= args.size())
            return usage();
        uint64_t* target = args[i] == "--contacts"   ? &contacts
                           : args[i] == "--messages" ? &messages
                           : args[i] == "--seed"     ? &seed
                                                     : nullptr;
        uint64_t limit = target == &seed ? UINT32_MAX : 1000000;
        if (!target || !parseNumber(args[i + 1], limit, *target))
            return usage();
    }
    auto app = PimApp::create();
    auto items = app->getDefaultFolder(folderContacts)->getItems();
    if (!items) {
        std::fprintf(stderr, "vantrel-device: cannot read the contact store\n");
        return 1;
    }
    if (items->count() > 0) {
        std::fprintf(stderr,
                     "vantrel-device: the device already has %u contacts; seed-demo fills an "
                     "empty device only\n",
                     items->count());
        return 1;
    }
    items.reset();
    std::vector<DemoContact> made;
    if (!seedDemoContacts(*app, static_cast<uint32_t>(contacts), static_cast<uint32_t>(seed), made))
        return 1;
    std::printf("seeded %zu contacts\n", made.size());
    if (messages > 0) {
        // The threads and calls come from the contacts just made, so the conversation
        // and call screens show names the contact list has.
        if (!seedDemoMessages(made, static_cast<int>(messages), static_cast<uint32_t>(seed),
                              platform::systemFileTime())) {
            std::fprintf(stderr, "vantrel-device: cannot write the device's message stores\n");
            return 1;
        }
        std::printf("seeded %llu messages\n", static_cast<unsigned long long>(messages));
    }
    return 0;
}

} // namespace vantrel::tools
