#include "phone/PhoneKeyMap.h"

#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <map>
#include <mutex>

namespace vantrel {

namespace {

std::mutex publishedLock;
std::shared_ptr<const PhoneKeyMap> published = std::make_shared<PhoneKeyMap>();
uint32_t lastVersion = 0;

char16_t lowerUnit(char16_t c) {
    UChar32 lower = u_tolower(c);
    return lower <= 0xFFFF ? static_cast<char16_t>(lower) : c;
}

// The character without its accents when it decomposes into one base unit followed by
// combining marks; else the character itself.
char16_t baseLetter(char16_t c) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
    if (U_FAILURE(status) || !nfd)
        return c;
    icu::UnicodeString decomposed;
    nfd->normalize(icu::UnicodeString(static_cast<UChar>(c)), decomposed, status);
    if (U_FAILURE(status) || decomposed.length() < 2)
        return c;
    for (int32_t i = 1; i < decomposed.length(); ++i)
        if (u_getCombiningClass(decomposed.charAt(i)) == 0)
            return c;
    return decomposed.charAt(0);
}

} // namespace

PhoneKeyMap::PhoneKeyMap(std::u16string_view keysMap) : source_(keysMap) {
    size_t characters = 0;
    size_t from = 0;
    while (from <= keysMap.size() && entries_.size() < maxEntries) {
        size_t comma = keysMap.find(u',', from);
        std::u16string_view piece = keysMap.substr(from, comma - from);
        if (!piece.empty() && characters + piece.size() <= maxCharacters) {
            Entry entry{lowerUnit(piece.front()), {}};
            for (char16_t c : piece)
                entry.text += lowerUnit(c);
            characters += piece.size();
            entries_.push_back(std::move(entry));
        }
        if (comma == std::u16string_view::npos)
            break;
        from = comma + 1;
    }
    // Only the first entry of a key character can be typed; later ones add no letters.
    std::vector<bool> reachable(entries_.size());
    for (size_t i = 0; i < entries_.size(); ++i)
        reachable[i] = entryOf(entries_[i].key) == static_cast<int>(i);
    std::map<char16_t, uint64_t> maskOf;
    for (size_t i = 0; i < entries_.size(); ++i)
        if (reachable[i])
            for (char16_t c : entries_[i].text)
                maskOf[c] |= uint64_t(1) << i;
    std::map<uint64_t, char16_t> classOfMask;
    entriesOfClass_.push_back(0); // noClass
    for (const auto& [c, mask] : maskOf) {
        auto [at, added] = classOfMask.emplace(mask, static_cast<char16_t>(entriesOfClass_.size()));
        if (added)
            entriesOfClass_.push_back(mask);
        classByChar_.emplace_back(c, at->second);
    }
}

int PhoneKeyMap::entryOf(char16_t typed) const {
    typed = lowerUnit(typed);
    for (size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].key == typed)
            return static_cast<int>(i);
    return -1;
}

const std::u16string* PhoneKeyMap::lettersOf(char16_t typed) const {
    int entry = entryOf(typed);
    return entry < 0 ? nullptr : &entries_[static_cast<size_t>(entry)].text;
}

char16_t PhoneKeyMap::classOf(char16_t c) const {
    auto find = [this](char16_t wanted) {
        auto at = std::lower_bound(classByChar_.begin(), classByChar_.end(),
                                   std::pair<char16_t, char16_t>(wanted, 0));
        return at != classByChar_.end() && at->first == wanted ? at->second : noClass;
    };
    char16_t found = find(c);
    if (found == noClass) {
        char16_t base = baseLetter(c);
        if (base != c)
            found = find(lowerUnit(base));
    }
    return found;
}

std::u16string PhoneKeyMap::classesOf(std::u16string_view lowerText) const {
    std::u16string classes(lowerText.size(), noClass);
    if (classByChar_.empty())
        return classes;
    for (size_t i = 0; i < lowerText.size(); ++i)
        classes[i] = classOf(lowerText[i]);
    return classes;
}

std::vector<uint8_t> PhoneKeyMap::acceptedClasses(char16_t typed) const {
    int entry = entryOf(typed);
    if (entry < 0)
        return {};
    std::vector<uint8_t> accepted(entriesOfClass_.size());
    for (size_t c = 1; c < entriesOfClass_.size(); ++c)
        accepted[c] = (entriesOfClass_[c] >> entry) & 1;
    return accepted;
}

std::shared_ptr<const PhoneKeyMap> PhoneKeyMap::current() {
    std::lock_guard<std::mutex> hold(publishedLock);
    return published;
}

bool PhoneKeyMap::publish(std::u16string_view keysMap) {
    std::lock_guard<std::mutex> hold(publishedLock);
    if (published->version_ != 0 && published->source_ == keysMap)
        return false;
    auto map = std::make_shared<PhoneKeyMap>(keysMap);
    map->version_ = ++lastVersion;
    published = std::move(map);
    return true;
}

} // namespace vantrel
