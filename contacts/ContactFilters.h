#pragma once
// The filters the contact list itself sets: all contacts, favourites, contacts with
// messages, and the typed letters. The filter menu's company, city and category
// filters join them with the menu.

#include "lists/ISmartListFilter.h"

#include <string>
#include <vector>

namespace vantrel {

// Every contact row and separator; an SmsContactListItem only while it has unread
// messages.
class AllContactsFilterItem : public ISmartListFilter {
public:
    bool match(const IListItem& item) const override;
    std::u16string label() const override;
};

class FavoriteFilterItem : public ISmartListFilter {
public:
    bool match(const IListItem& item) const override;
    std::u16string label() const override;
};

// Contacts with messages or calls.
class SmsFilterItem : public ISmartListFilter {
public:
    bool match(const IListItem& item) const override;
    std::u16string label() const override;
};

// The typed text: a name containing it, a number containing it, or on the phone pad's
// letters a word of the name starting with the typed keys ("526" finds "Jan").
class LettersFilterItem : public ISmartListFilter {
public:
    // `keyMap` is the phone pad's "keys.map": comma-separated pieces, each a key
    // character followed by the letters it stands for.
    LettersFilterItem(std::u16string typed, std::u16string_view keyMap);
    bool match(const IListItem& item) const override;
    std::u16string label() const override;
    // Filling stops early: a typed search shows the first few matches at once.
    int itemLimit() const override { return 10; }
    const std::u16string& typed() const { return typed_; }

private:
    // The letters a typed character stands for; empty when it is no key.
    const std::u16string* lettersOf(char16_t typed) const;
    bool padMatch(std::u16string_view name) const;

    std::u16string typed_;
    std::u16string lowerTyped_;
    std::vector<std::u16string> keys_;
};

} // namespace vantrel
