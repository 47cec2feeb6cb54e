#pragma once
// The reduced form of a phone number the messaging store indexes senders and
// recipients by: its decimal digits and "+" in order, then its last 8 characters.
// The product ties a message to a contact when the reduced forms a (the contact's) and
// b (the message's) are equal, or, when a is longer than 6 and b longer than 3, one
// contains the other. That rule admits, for a given a, only a short list of b, which
// is what a query by number looks up in the index.

#include <string>
#include <string_view>
#include <vector>

namespace vantrel::platform::msgstore {

// ASCII text: only digits and "+" remain.
std::string reducedNumber(std::u16string_view number);

// Every reduced form b the rule can match against the contact's reduced form a:
// a itself; for a longer than 6, its substrings of 4 characters and more and, for a of
// 7 characters, the 8-character forms that start or end with it. At most 32 forms.
std::vector<std::string> matchCandidates(std::string_view reduced);
inline constexpr size_t maxMatchCandidates = 32;

} // namespace vantrel::platform::msgstore
