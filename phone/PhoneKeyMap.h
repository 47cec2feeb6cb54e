#pragma once
// The phone pad's key map: which letters each key stands for, read from the pad's
// "keys.map" ("1,2abc,3deféèëê,…"). The contact search lets a typed key stand for its
// letters, so the map is published process-wide by the pad that reads it.
//
// NOTE: matching a typed key against 100,000 first lines must not look letters up in
// the map at every keystroke. The map therefore sorts every character it knows into
// classes (characters that stand under exactly the same keys share one), each contact
// keeps its first line as a string of class numbers made once when it is filled, and
// a keystroke only asks, per typed key, which class numbers that key accepts.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

class PhoneKeyMap {
public:
    // A map from a theme is data: pieces beyond this many, and characters beyond this
    // many in all, are left out, so a hostile map costs bounded memory.
    static constexpr size_t maxEntries = 64;
    static constexpr size_t maxCharacters = 1024;
    // The class of a character under no key.
    static constexpr char16_t noClass = 0;

    struct Entry {
        char16_t key;        // the piece's first character
        std::u16string text; // the whole piece, lower-cased: the key and its letters
    };

    PhoneKeyMap() = default;
    // Splits `keysMap` at ","; empty pieces are skipped.
    explicit PhoneKeyMap(std::u16string_view keysMap);

    const std::vector<Entry>& entries() const { return entries_; }
    // The letters a typed character stands for (its entry's text, which holds the
    // character itself); null for a character that is no key, or whose key comes
    // only after an earlier entry with the same key character.
    const std::u16string* lettersOf(char16_t typed) const;

    // Sequence number of this map among the published ones; class strings made under
    // another map are not comparable.
    uint32_t version() const { return version_; }
    // The class string of a lower-cased text: one class per character. A character no
    // key holds is looked up again without its accents ("á" as "a").
    std::u16string classesOf(std::u16string_view lowerText) const;
    // For a typed character: accepted[c] is 1 when the characters of class c are
    // among its letters. Empty when the character is no key.
    std::vector<uint8_t> acceptedClasses(char16_t typed) const;

    // The map the main screen's pad published last; an empty map before the first.
    static std::shared_ptr<const PhoneKeyMap> current();
    // Publishes a map read from "keys.map", unless it equals the current one; true
    // when it changed.
    static bool publish(std::u16string_view keysMap);

private:
    // The entry a typed character selects, or -1.
    int entryOf(char16_t typed) const;
    char16_t classOf(char16_t c) const;

    std::u16string source_;
    std::vector<Entry> entries_;
    // Sorted characters, their class, and per class the entries holding it.
    std::vector<std::pair<char16_t, char16_t>> classByChar_;
    std::vector<uint64_t> entriesOfClass_;
    uint32_t version_ = 0;
};

} // namespace vantrel
