// The vCard reader on any bytes: it must never crash, and whatever it accepts must
// survive our own writer and come back through the reader with the same properties.
#include "platform/pim/VCard.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string_view>

using namespace vantrel::platform::pim;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    VCardBatch batch = readVCards(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const VCardContact& contact : batch.contacts) {
        VCardBatch again = readVCards(writeVCard(contact.props, contact.picture));
        if (again.contacts.size() != 1 || again.contacts[0].picture != contact.picture)
            std::abort();
        std::map<PropId, PropValue> before, after;
        for (const PropValue& value : contact.props)
            before[value.id] = value;
        for (const PropValue& value : again.contacts[0].props)
            after[value.id] = value;
        // Phones may move between slots of one type on the way; names and texts may not.
        for (PropId id : {prop::lastName, prop::firstName, prop::company, prop::note, prop::email1,
                          prop::categories})
            if (before.count(id) != after.count(id) ||
                (before.count(id) && before[id].text != after[id].text))
                std::abort();
    }
    return 0;
}
