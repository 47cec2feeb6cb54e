#pragma once
// How a message or a call is tied to a contact: both numbers are reduced to their
// digits and "+" and then to their last 8 characters, and match when the two are equal
// or, when the contact's is longer than 6 and the other longer than 3, one contains the
// other. So "+33 6 12 34 56 78" and "06 12 34 56 78" are one number, and a 4-digit
// service code matches every long number that holds it.
//
// NumberIndex answers the same question for a whole list at once: the first entry, in
// list order, that matches a number, in one hash lookup instead of a walk over every
// entry. It holds, for each entry's number a, every b the rule admits for a (a short
// list, see platform/msgstore/ReducedNumber.h).

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

namespace vantrel::mapi {

// Digits and "+" in order, then the last 8 characters.
std::u16string normalizePhoneNumber(std::u16string_view number);

// The same, held without allocating: a walk over a list normalises every number of
// every row.
class NormalizedNumber {
public:
    explicit NormalizedNumber(std::u16string_view number);
    std::u16string_view view() const { return {chars_ + 8 - size_, size_}; }

private:
    char16_t chars_[8];
    size_t size_;
};

// The rule on two normalised numbers: `a` the contact's, `b` the message's.
bool normalizedNumbersMatch(std::u16string_view a, std::u16string_view b);

class NumberIndex {
public:
    static constexpr uint32_t none = UINT32_MAX;

    // Adds one number of entry `entry`; entries come in list order, each with all its
    // numbers before the next. `emptyMatches`: the entry also answers a number given
    // as empty text (an unknown-sender row; a contact never does).
    void add(uint32_t entry, std::u16string_view number, bool emptyMatches);
    // The first entry one of whose numbers matches `number`, or none.
    uint32_t find(std::u16string_view number) const;
    bool empty() const { return firstByForm_.empty(); }

private:
    std::unordered_map<std::string, uint32_t> firstByForm_;
    uint32_t firstForEmpty_ = none;
};

} // namespace vantrel::mapi
