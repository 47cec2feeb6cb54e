#include "contacts/ContactFilters.h"

#include "contacts/ContactListItem.h"
#include "phone/PhoneKeyMap.h"
#include "settings/SettingStore.h"
#include "settings/TextFormatter.h"

#include <algorithm>

namespace vantrel {

namespace {

std::u16string globalText(std::u16string_view key) {
    return SettingStore::instance().globalText(key);
}

} // namespace

bool AllContactsFilterItem::match(const IListItem& item) const {
    const ContactListItem* contact = asContact(&item);
    return !contact || contact->kind() != ContactListItem::Kind::sms ||
           contact->counters().unread >= 1;
}

std::u16string AllContactsFilterItem::label() const {
    return globalText(u"filter.allcontact.text");
}

bool FavoriteFilterItem::match(const IListItem& item) const {
    const ContactListItem* contact = asContact(&item);
    return contact && contact->isFavorite();
}

std::u16string FavoriteFilterItem::label() const {
    return globalText(u"filter.favorite.text");
}

bool SmsFilterItem::match(const IListItem& item) const {
    const ContactListItem* contact = asContact(&item);
    return contact && (contact->counters().messages > 0 || contact->counters().calls > 0);
}

std::u16string SmsFilterItem::label() const {
    return globalText(u"filter.sms.text");
}

void SmsFilterItem::arrange(SmartListControl&, std::vector<IListItem*>& shown) {
    std::stable_sort(shown.begin(), shown.end(), [](IListItem* x, IListItem* y) {
        const ContactListItem* a = asContact(x);
        const ContactListItem* b = asContact(y);
        if (!a || !b)
            return false;
        const ContactCounters& ca = a->counters();
        const ContactCounters& cb = b->counters();
        if ((ca.unread > 0) != (cb.unread > 0))
            return ca.unread > 0;
        if (ca.newestTime != cb.newestTime)
            return ca.newestTime > cb.newestTime;
        if (ca.messages != cb.messages)
            return ca.messages > cb.messages;
        // Sort keys are upper-cased already: this order ignores case.
        return a->record().sortKey < b->record().sortKey;
    });
}

std::u16string ValueFilterItem::labelWith(std::u16string_view formatKey) const {
    return formatText(globalText(formatKey), {value_});
}

bool CompanyFilterItem::match(const IListItem& item) const {
    const ContactListItem* contact = asContact(&item);
    return contact && contact->record().company == value();
}

std::u16string CompanyFilterItem::label() const {
    return labelWith(u"filter.company.text");
}

bool CityFilterItem::match(const IListItem& item) const {
    const ContactListItem* contact = asContact(&item);
    return contact && contact->record().city == value();
}

std::u16string CityFilterItem::label() const {
    return labelWith(u"filter.city.text");
}

bool CategoryFilterItem::match(const IListItem& item) const {
    const ContactListItem* contact = asContact(&item);
    if (!contact)
        return false;
    const std::u16string& categories = contact->record().categories;
    if (value().empty())
        return categories.empty();
    return categories.find(value()) != std::u16string::npos;
}

std::u16string CategoryFilterItem::label() const {
    return labelWith(u"filter.category.text");
}

LettersFilterItem::LettersFilterItem(std::u16string typed,
                                     std::shared_ptr<const PhoneKeyMap> keyMap)
    : typed_(std::move(typed)), lowerTyped_(lowerCased(typed_)), keyMap_(std::move(keyMap)) {
    if (!keyMap_)
        keyMap_ = std::make_shared<PhoneKeyMap>();
    for (char16_t c : lowerTyped_)
        accepted_.push_back(keyMap_->acceptedClasses(c));
}

LettersFilterItem::~LettersFilterItem() = default;

std::u16string LettersFilterItem::label() const {
    if (typed_.empty())
        return globalText(u"filter.allcontact.text");
    return formatText(globalText(u"filter.letter.text"), {typed_});
}

bool LettersFilterItem::padMatch(std::u16string_view name, std::u16string_view classes) const {
    const std::vector<uint8_t>& first = accepted_.front();
    for (size_t i = 0; i < name.size(); ++i) {
        if (!first[classes[i]])
            continue;
        bool wordStart =
            i == 0 || name[i - 1] == u' ' || name[i - 1] == u'-' || name[i - 1] == u'\'';
        if (!wordStart)
            continue;
        bool all = true;
        for (size_t j = 1; j < accepted_.size(); ++j) {
            size_t p = i + j;
            if (p >= name.size())
                break; // the name ended first: a match
            if (accepted_[j].empty() || !accepted_[j][classes[p]]) {
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
    const ContactListItem* contact = asContact(&item);
    if (!contact || lowerTyped_.empty())
        return false;
    const SearchKeys& keys = contact->searchKeys();
    if (keys.lowerFirstLine.find(lowerTyped_) != std::u16string::npos)
        return true;
    // The digits of every number, each followed by a space the typed text cannot hold
    // across, so a match never spans two numbers.
    if (keys.phoneDigits.find(lowerTyped_) != std::u16string::npos)
        return true;
    if (accepted_.front().empty())
        return false;
    if (keys.padVersion == keyMap_->version())
        return padMatch(keys.lowerFirstLine, keys.padClasses);
    // Made under another map (a theme changed the keys since): classed afresh.
    return padMatch(keys.lowerFirstLine, keyMap_->classesOf(keys.lowerFirstLine));
}

std::u16string_view filterKindName(const ISmartListFilter* filter) {
    if (!filter)
        return u"";
    if (dynamic_cast<const AllContactsFilterItem*>(filter))
        return u"all";
    if (dynamic_cast<const FavoriteFilterItem*>(filter))
        return u"favorite";
    if (dynamic_cast<const SmsFilterItem*>(filter))
        return u"sms";
    if (dynamic_cast<const CompanyFilterItem*>(filter))
        return u"company";
    if (dynamic_cast<const CityFilterItem*>(filter))
        return u"city";
    if (dynamic_cast<const CategoryFilterItem*>(filter))
        return u"category";
    if (dynamic_cast<const LettersFilterItem*>(filter))
        return u"letters";
    return u"other";
}

} // namespace vantrel
