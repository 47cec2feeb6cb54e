#pragma once
// What ordering and typed search need of a contact, worked out once when the record is
// made rather than at every sort or keystroke: the ICU collation bytes of the sort key
// in the user's locale, the first line in lower case and as phone pad key classes
// (under the key map published at the time), and the digits of every number.
// Any thread may make them (each thread has its own collator).

#include "contacts/ContactRecord.h"

#include <cstdint>
#include <string>

namespace vantrel {

struct SearchKeys {
    std::string collation;         // compare bytewise
    std::u16string lowerFirstLine; // for typed letters
    std::u16string phoneDigits;    // each number's digits and "+", separated by spaces
    // The first line as phone pad key classes, under the key map of that version.
    std::u16string padClasses;
    uint32_t padVersion = 0;
};

SearchKeys makeSearchKeys(const ContactRecord& record);

// The collation bytes of a text in the user's locale (LANG, LC_ALL, LC_COLLATE).
std::string collationKey(std::u16string_view text);

// Lower case in the root locale.
std::u16string lowerCased(std::u16string_view text);

// Digits and "+" characters of a number.
std::u16string digitsAndPlus(std::u16string_view number);

} // namespace vantrel
