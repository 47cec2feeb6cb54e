#include "mapi/PhoneNumber.h"

#include "platform/msgstore/ReducedNumber.h"

namespace vantrel::mapi {

namespace {

// NOTE: list walks normalise every number of every contact, so this avoids building a
// string per character: it collects the last 8 kept characters from the end.
template <class Char> size_t normalizeInto(std::u16string_view number, Char (&out)[8]) {
    size_t kept = 0;
    for (size_t i = number.size(); i-- > 0 && kept < 8;) {
        char16_t c = number[i];
        if ((c >= u'0' && c <= u'9') || c == u'+')
            out[7 - kept++] = static_cast<Char>(c);
    }
    return kept;
}

} // namespace

NormalizedNumber::NormalizedNumber(std::u16string_view number)
    : size_(normalizeInto(number, chars_)) {}

std::u16string normalizePhoneNumber(std::u16string_view number) {
    return std::u16string(NormalizedNumber(number).view());
}

bool normalizedNumbersMatch(std::u16string_view a, std::u16string_view b) {
    // Normalised numbers hold only digits and "+": equal ignoring case is equal.
    if (a.size() > 6 && b.size() > 3)
        return a.find(b) != std::u16string_view::npos || b.find(a) != std::u16string_view::npos;
    // Of equal length, containing is being equal.
    return a == b;
}

void NumberIndex::add(uint32_t entry, std::u16string_view number, bool emptyMatches) {
    std::string reduced = platform::msgstore::reducedNumber(number);
    if (reduced.empty() && emptyMatches && firstForEmpty_ == none)
        firstForEmpty_ = entry;
    // emplace keeps the earlier entry: the first in list order wins.
    for (std::string& form : platform::msgstore::matchCandidates(reduced))
        firstByForm_.emplace(std::move(form), entry);
}

uint32_t NumberIndex::find(std::u16string_view number) const {
    if (number.empty())
        return firstForEmpty_;
    char buffer[8];
    size_t kept = normalizeInto(number, buffer);
    auto found = firstByForm_.find(std::string(buffer + 8 - kept, kept));
    return found == firstByForm_.end() ? none : found->second;
}

} // namespace vantrel::mapi
