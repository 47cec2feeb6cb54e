// Feeds arbitrary text to the phone pad's key map, as a theme's "keys.map" may hold
// it, and classes a name under it: any map reads in bounded memory, every typed key's
// table covers every class a name can get, and a key always stands for itself.
// The input is UTF-16 code units; a code unit 0 separates the map from the name.

#include "phone/PhoneKeyMap.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

using namespace vantrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string text;
    for (size_t i = 0; i + 1 < size; i += 2)
        text += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    size_t split = text.find(u'\0');
    std::u16string_view map = std::u16string_view(text).substr(0, split);
    std::u16string_view name = split == std::u16string::npos
                                   ? std::u16string_view()
                                   : std::u16string_view(text).substr(split + 1);
    PhoneKeyMap keys(map);
    if (keys.entries().size() > PhoneKeyMap::maxEntries)
        std::abort();
    std::u16string classes = keys.classesOf(name);
    if (classes.size() != name.size())
        std::abort();
    for (const PhoneKeyMap::Entry& entry : keys.entries()) {
        const std::u16string* letters = keys.lettersOf(entry.key);
        if (!letters || letters->find(entry.key) == std::u16string::npos)
            std::abort();
        std::vector<uint8_t> accepted = keys.acceptedClasses(entry.key);
        for (char16_t c : classes)
            if (c >= accepted.size())
                std::abort();
    }
    return 0;
}
