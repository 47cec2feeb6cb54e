#pragma once
// The filters of the contact list: all contacts, favourites, contacts with messages,
// a company, a city or a category chosen in the filter menu, and the typed letters.
// Each matches on what the row holds already; nothing here reads a store.

#include "lists/ISmartListFilter.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vantrel {

class PhoneKeyMap;

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

// Contacts with messages or calls, those with unread messages first, then the newest.
class SmsFilterItem : public ISmartListFilter {
public:
    bool match(const IListItem& item) const override;
    std::u16string label() const override;
    void arrange(SmartListControl& list, std::vector<IListItem*>& shown) override;
};

// The filters the menu's folders make: one chosen value, empty for the no-value entry.
class ValueFilterItem : public ISmartListFilter {
public:
    explicit ValueFilterItem(std::u16string value) : value_(std::move(value)) {}
    const std::u16string& value() const { return value_; }

protected:
    // The label format ("Working for %s") with the value.
    std::u16string labelWith(std::u16string_view formatKey) const;

private:
    std::u16string value_;
};

// The company text equals the value, case and all.
class CompanyFilterItem : public ValueFilterItem {
public:
    using ValueFilterItem::ValueFilterItem;
    bool match(const IListItem& item) const override;
    std::u16string label() const override;
};

// The city text equals the value, case and all.
class CityFilterItem : public ValueFilterItem {
public:
    using ValueFilterItem::ValueFilterItem;
    bool match(const IListItem& item) const override;
    std::u16string label() const override;
};

// The categories text holds the value (so Work also finds Homework); the empty value
// finds the contacts without a category.
class CategoryFilterItem : public ValueFilterItem {
public:
    using ValueFilterItem::ValueFilterItem;
    bool match(const IListItem& item) const override;
    std::u16string label() const override;
};

// The typed text: a name containing it, a number containing it, or on the phone pad's
// keys a word of the name starting with the typed keys ("526" finds "Jan").
class LettersFilterItem : public ISmartListFilter {
public:
    // `keyMap` says which letters each typed key stands for.
    LettersFilterItem(std::u16string typed, std::shared_ptr<const PhoneKeyMap> keyMap);
    ~LettersFilterItem() override;
    bool match(const IListItem& item) const override;
    std::u16string label() const override;
    // Filling stops early: a typed search shows the first few matches at once.
    int itemLimit() const override { return 10; }
    const std::u16string& typed() const { return typed_; }

private:
    // A word of the first line whose characters run under the typed keys; `classes` is
    // the first line as key classes of this filter's map.
    bool padMatch(std::u16string_view name, std::u16string_view classes) const;

    std::u16string typed_;
    std::u16string lowerTyped_;
    std::shared_ptr<const PhoneKeyMap> keyMap_;
    // Per typed character, the key classes it accepts (empty: it is no key).
    std::vector<std::vector<uint8_t>> accepted_;
};

// A short name of the filter's kind for scripts: "all", "favorite", "sms", "company",
// "city", "category", "letters", or "" for none.
std::u16string_view filterKindName(const ISmartListFilter* filter);

} // namespace vantrel
