#include "contacts/ContactFilters.h"

#include "contacts/ContactListItem.h"
#include "settings/SettingStore.h"
#include "settings/TextFormatter.h"

namespace vantrel {

namespace {

const ContactListItem* contactOf(const IListItem& item) {
    return asContact(&item);
}

} // namespace

bool AllContactsFilterItem::match(const IListItem& item) const {
    const ContactListItem* contact = contactOf(item);
    return !contact || contact->kind() != ContactListItem::Kind::sms ||
           contact->counters().unread >= 1;
}

std::u16string AllContactsFilterItem::label() const {
    return SettingStore::instance().globalText(u"filter.allcontact.text");
}

bool FavoriteFilterItem::match(const IListItem& item) const {
    const ContactListItem* contact = contactOf(item);
    return contact && contact->isFavorite();
}

std::u16string FavoriteFilterItem::label() const {
    return SettingStore::instance().globalText(u"filter.favorite.text");
}

bool SmsFilterItem::match(const IListItem& item) const {
    const ContactListItem* contact = contactOf(item);
    return contact && (contact->counters().messages > 0 || contact->counters().calls > 0);
}

std::u16string SmsFilterItem::label() const {
    return SettingStore::instance().globalText(u"filter.sms.text");
}

LettersFilterItem::LettersFilterItem(std::u16string typed, std::u16string_view keyMap)
    : typed_(std::move(typed)), lowerTyped_(lowerCased(typed_)) {
    size_t from = 0;
    while (from <= keyMap.size()) {
        size_t comma = keyMap.find(u',', from);
        std::u16string_view piece = keyMap.substr(from, comma - from);
        if (!piece.empty())
            keys_.push_back(lowerCased(piece));
        if (comma == std::u16string_view::npos)
            break;
        from = comma + 1;
    }
}

std::u16string LettersFilterItem::label() const {
    if (typed_.empty())
        return SettingStore::instance().globalText(u"filter.allcontact.text");
    return formatText(SettingStore::instance().globalText(u"filter.letter.text"), {typed_});
}

const std::u16string* LettersFilterItem::lettersOf(char16_t typed) const {
    for (const std::u16string& key : keys_)
        if (key.front() == typed)
            return &key;
    return nullptr;
}

bool LettersFilterItem::padMatch(std::u16string_view name) const {
    const std::u16string* first = lettersOf(lowerTyped_.front());
    if (!first)
        return false;
    for (size_t i = 0; i < name.size(); ++i) {
        bool wordStart =
            i == 0 || name[i - 1] == u' ' || name[i - 1] == u'-' || name[i - 1] == u'\'';
        if (!wordStart || first->find(name[i]) == std::u16string::npos)
            continue;
        bool all = true;
        for (size_t j = 1; j < lowerTyped_.size(); ++j) {
            size_t p = i + j;
            if (p >= name.size())
                break; // the name ended first: a match
            const std::u16string* letters = lettersOf(lowerTyped_[j]);
            if (!letters || letters->find(name[p]) == std::u16string::npos) {
                all = false;
                break;
            }
        }
        if (all)
            return true;
    }
    return false;
}

bool LettersFilterItem::match(const IListItem& item) const {
    const ContactListItem* contact = contactOf(item);
    if (!contact)
        return false;
    if (lowerTyped_.empty())
        return false;
    const SearchKeys& keys = contact->searchKeys();
    if (keys.lowerFirstLine.find(lowerTyped_) != std::u16string::npos)
        return true;
    // The digits of every number, each followed by a space the typed text cannot hold
    // across, so a match never spans two numbers.
    if (keys.phoneDigits.find(lowerTyped_) != std::u16string::npos)
        return true;
    return padMatch(keys.lowerFirstLine);
}

} // namespace vantrel
