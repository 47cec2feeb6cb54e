#include "platform/msgstore/ReducedNumber.h"

#include <algorithm>

namespace vantrel::platform::msgstore {

std::string reducedNumber(std::u16string_view number) {
    std::string reduced;
    for (char16_t c : number)
        if ((c >= u'0' && c <= u'9') || c == u'+')
            reduced += static_cast<char>(c);
    if (reduced.size() > 8)
        reduced.erase(0, reduced.size() - 8);
    return reduced;
}

std::vector<std::string> matchCandidates(std::string_view reduced) {
    std::vector<std::string> candidates{std::string(reduced)};
    if (reduced.size() > 6) {
        for (size_t length = 4; length < reduced.size(); ++length)
            for (size_t start = 0; start + length <= reduced.size(); ++start)
                candidates.emplace_back(reduced.substr(start, length));
        // A reduced form is at most 8 characters, so only a 7-character one can sit
        // inside a longer one.
        if (reduced.size() == 7)
            for (char extra : std::string_view("0123456789+")) {
                candidates.push_back(std::string(reduced) + extra);
                candidates.push_back(extra + std::string(reduced));
            }
    }
    std::sort(candidates.begin(), candidates.end());
    candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
    return candidates;
}

} // namespace vantrel::platform::msgstore
