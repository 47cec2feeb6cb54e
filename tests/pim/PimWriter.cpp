// A second process of the device for the contact store tests: it writes what its
// command line says and prints the object id of every contact once its save returned,
// so a test that kills it knows what was committed.
//
//   pim_writer add PREFIX COUNT        adds contacts PREFIX/0.. (COUNT 0: until killed)
//   pim_writer set OID note|company PREFIX COUNT   writes PREFIX0..PREFIXn into one property
//   pim_writer delete OID
#include "platform/core/Utf.h"
#include "platform/pim/PimApp.h"
#include "platform/pim/PimItem.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace vantrel::platform;
using namespace vantrel::platform::pim;

int main(int argc, char** argv) {
    auto app = PimApp::create();
    std::string command = argc > 1 ? argv[1] : "";
    if (command == "add" && argc == 4) {
        unsigned long count = std::strtoul(argv[3], nullptr, 10);
        for (unsigned long i = 0; count == 0 || i < count; ++i) {
            auto item = app->createItem(itemContact);
            std::u16string number = toUtf16(std::to_string(i));
            item->setProps(0, std::vector{PropValue::ofString(prop::lastName, toUtf16(argv[2])),
                                          PropValue::ofString(prop::firstName, number),
                                          PropValue::ofString(prop::mobilePhone, number)});
            if (!item->save())
                return 1;
            std::printf("%u\n", item->oid());
            std::fflush(stdout);
        }
        return 0;
    }
    if (command == "set" && argc == 6) {
        auto oid = static_cast<Oid>(std::strtoul(argv[2], nullptr, 10));
        PropId id = std::string(argv[3]) == "note" ? prop::note : prop::company;
        unsigned long count = std::strtoul(argv[5], nullptr, 10);
        for (unsigned long i = 0; i < count; ++i) {
            auto item = app->getItemFromOidEx(oid);
            if (!item ||
                !item->setProps(0, std::vector{PropValue::ofString(
                                       id, toUtf16(argv[4] + std::to_string(i)))}) ||
                !item->save())
                return 1;
        }
        return 0;
    }
    if (command == "delete" && argc == 3) {
        auto item = app->getItemFromOidEx(static_cast<Oid>(std::strtoul(argv[2], nullptr, 10)));
        return item && item->deleteItem() ? 0 : 1;
    }
    std::fprintf(stderr, "usage: pim_writer add PREFIX COUNT | set OID note|company PREFIX COUNT | "
                         "delete OID\n");
    return 2;
}
