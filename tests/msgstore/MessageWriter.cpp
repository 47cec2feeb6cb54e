// A second process of the device for the message store tests: it stores COUNT
// received messages, one transaction each, and prints "committed N" after each, so a
// test can tell what was committed when it kills it.
//
//   msgstore_writer WRITER COUNT     subjects "WRITER:N", senders "+WRITER0N"
#include "platform/core/Utf.h"
#include "tests/msgstore/StoreHelpers.h"

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace vantrel;

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: msgstore_writer WRITER COUNT\n");
        return 2;
    }
    std::string writer = argv[1];
    long count = std::strtol(argv[2], nullptr, 10);
    auto inbox = test::openFolder(platform::msgstore::tag::inboxEntryId);
    if (!inbox)
        return 1;
    for (long n = 1; n <= count; ++n) {
        std::string number = std::to_string(n);
        if (test::receiveSms(*inbox, platform::toUtf16("+" + writer + "0" + number),
                             platform::toUtf16(writer + ":" + number), uint64_t(n))
                .empty())
            return 1;
        std::printf("committed %ld\n", n);
        std::fflush(stdout);
    }
    return 0;
}
