#pragma once
// The demo device's contacts: many letters and scripts (Latin with accents, Cyrillic,
// Greek, Japanese, Korean, Chinese), companies, cities, categories, several numbers in
// international and national forms, e-mail addresses, favourites and generated
// avatar pictures. The same seed always makes the same contacts.

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::platform::pim {
class PimApp;
}

namespace vantrel::tools {

struct DemoContact {
    std::u16string name;                 // as a message would name the sender
    std::vector<std::u16string> numbers; // as stored, the mobile number first when there is one
};

// Adds `count` contacts to the store and lists them in `made`. False (with a message on
// standard error) when the store cannot be written; `made` then holds those stored.
bool seedDemoContacts(platform::pim::PimApp& app, uint32_t count, uint32_t seed,
                      std::vector<DemoContact>& made);

} // namespace vantrel::tools
