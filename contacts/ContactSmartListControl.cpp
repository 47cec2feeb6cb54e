#include "contacts/ContactSmartListControl.h"

#include "contacts/ContactCache.h"
#include "contacts/ContactFilters.h"
#include "contacts/ContactStoreAccess.h"
#include "lists/Animation.h"
#include "lists/ControlItem.h"
#include "phone/PhoneKeyMap.h"
#include "platform/core/Backend.h"
#include "platform/core/Clock.h"
#include "settings/Box.h"
#include "settings/SettingManager.h"
#include "settings/SettingStore.h"
#include "ui/Button.h"
#include "ui/ControlDump.h"

#include <algorithm>
#include <iterator>
#include <typeinfo>

namespace vantrel {

using platform::Rect;

namespace {

// A section header of the contact list, sorted by its letter's collation bytes.
class ContactSeparatorItem : public SeparatorItem {
public:
    explicit ContactSeparatorItem(char16_t letter)
        : SeparatorItem(std::u16string(1, letter)), key_(collationKey(text())) {}
    const std::string& key() const { return key_; }
    char16_t indexLetter() const override { return text().front(); }

private:
    std::string key_;
};

struct SortKey {
    bool empty = true;
    const std::string* bytes = nullptr;
};

SortKey sortKeyOf(const IListItem* item) {
    if (auto* contact = asContact(item))
        return {contact->record().sortKey.empty(), &contact->searchKeys().collation};
    if (item && typeid(*item) == typeid(ContactSeparatorItem))
        return {false, &static_cast<const ContactSeparatorItem*>(item)->key()};
    return {};
}

// Rows with an empty sort key ("<New Contact>") first, in their order; the rest by the
// collation bytes of their keys.
bool comesBefore(const SortKey& a, const SortKey& b) {
    if (a.empty || b.empty)
        return a.empty && !b.empty;
    return *a.bytes < *b.bytes;
}

class ContactItemClickAction : public ItemAction {
public:
    explicit ContactItemClickAction(ContactSmartListControl& list) : list_(list) {}
    void execute(IListItem* item, int, int) override { list_.openItem(item); }

private:
    ContactSmartListControl& list_;
};

class CallbackAction : public Action {
public:
    explicit CallbackAction(std::function<void()> run) : run_(std::move(run)) {}
    void execute() override { run_(); }

private:
    std::function<void()> run_;
};

bool isDialable(std::u16string_view text) {
    bool digit = false;
    for (char16_t c : text) {
        if (c >= u'0' && c <= u'9')
            digit = true;
        else if (c != u'+' && c != u'*' && c != u'#')
            return false;
    }
    return digit;
}

std::u16string interfaceText(std::u16string_view property) {
    const std::u16string* value = SettingStore::instance().resolve(u"global", u"", property);
    return value ? *value : std::u16string();
}

} // namespace

ContactSmartListControl::ContactSmartListControl(platform::WindowHandle window, std::u16string name)
    : SmartListControl(window, std::move(name), u"contactlist") {
    SmartListControl::setFilter(std::make_unique<AllContactsFilterItem>());
    setClickAction(std::make_unique<ContactItemClickAction>(*this));
    struct Entry {
        const char16_t* name;
        std::function<void(const std::u16string&)> ContactRoutes::*route;
        const char16_t* verb;
    };
    const Entry entries[] = {{u"callitem", &ContactRoutes::call, u"call "},
                             {u"smsitem", &ContactRoutes::sms, u"sms "},
                             {u"addcontactitem", &ContactRoutes::addContact, u"addcontact "}};
    for (size_t i = 0; i < std::size(entries); ++i) {
        auto button = std::make_unique<Button>(window, entries[i].name);
        auto routeOf = entries[i].route;
        std::u16string verb = entries[i].verb;
        button->setAction(std::make_unique<CallbackAction>([this, routeOf, verb] {
            route(verb + typed_);
            if (routes_.*routeOf)
                (routes_.*routeOf)(typed_);
        }));
        numberEntries_[i] = makeItem<ControlItem>(std::move(button));
    }
}

ContactSmartListControl::~ContactSmartListControl() {
    stopLoading();
}

ContactItemLook& ContactSmartListControl::itemLookOf(SmartListControl& list) {
    if (auto* contacts = dynamic_cast<ContactSmartListControl*>(&list))
        return contacts->look_;
    // Contact rows only live in contact lists; a stray one draws with the stock look.
    static ContactItemLook other;
    return other;
}

// ---- loading ----

LoaderSettings ContactSmartListControl::loaderSettings() {
    LoaderSettings settings;
    settings.templates = ContactTemplates::fromSettings(*this);
    settings.cacheFile = ContactCache::defaultPath();
    // Rows without room for a picture need no picture bytes: the picture box of a
    // nominal row 200 pixels wide.
    int itemHeight = getInt(u"item.height", itemHeightSlot);
    Rect box = SettingStore::instance()
                   .box(typeName(), name(), u"item.picture.box")
                   .rectangle({0, 0, 200, itemHeight});
    settings.pictures = !box.isEmpty();
    settings.readStore = store_ != nullptr;
    return settings;
}

void ContactSmartListControl::startLoading() {
    stopLoading();
    removeAllItems();
    byObjectId_.clear();
    smsByNumber_.clear();
    separatorLetters_.clear();
    firstRowsPainted_ = false;
    appendItem(makeItem<NewContactListItem>(interfaceText(u"newcontact.text")));
    refilter();
    loader_ = std::make_unique<ContactLoader>(window(), loaderMessage, loaderSettings(), store_);
    loaderBusy_ = true;
    loader_->start();
}

void ContactSmartListControl::stopLoading() {
    if (loader_)
        loader_->stop();
}

void ContactSmartListControl::onLoaderMessage() {
    if (!loader_)
        return;
    std::deque<LoaderBatch> batches = loader_->take();
    if (batches.empty())
        return;
    // Consecutive chunks of one kind are applied as one: one merge and one filter run
    // for everything that arrived while the interface was busy. Until the first rows
    // are on screen, though, a chunk is applied and painted alone: the first one holds
    // a screen of rows, and the user waits for nothing else.
    bool seen = false;
    for (size_t i = 0; i < batches.size(); ++i) {
        LoaderBatch& batch = batches[i];
        while (firstRowsPainted_ && i + 1 < batches.size() &&
               batches[i + 1].kind == batch.kind && !batch.contacts.empty()) {
            LoaderBatch& next = batches[++i];
            std::move(next.contacts.begin(), next.contacts.end(),
                      std::back_inserter(batch.contacts));
        }
        seen |= apply(batch);
        paintFirstRows();
    }
    // NOTE: the store pass mostly confirms what the cache showed; a paint of the whole
    // list for each of its chunks would cost more than the pass itself.
    if (!seen)
        return;
    invalidate(rect());
    if (Action* listener = scrollListener())
        listener->execute();
}

bool ContactSmartListControl::anyOnScreen(const std::vector<const IListItem*>& items) const {
    if (items.empty())
        return false;
    const int top = scrollOffset(), bottom = scrollOffset() + rect().height();
    int y = 0;
    for (const IListItem* row : shownItems()) {
        if (y >= bottom)
            break;
        if (y + row->height() > top && std::find(items.begin(), items.end(), row) != items.end())
            return true;
        y += row->height();
    }
    return false;
}

void ContactSmartListControl::paintFirstRows() {
    // NOTE: painted now, not left to the queue: while the loader keeps handing over,
    // the queue never runs empty, and the paint would wait for the whole cache.
    if (firstRowsPainted_ || shownItems().size() <= 1 || !isVisible())
        return;
    firstRowsPainted_ = true;
    invalidate(rect());
    platform::updateWindow(window());
}

bool ContactSmartListControl::apply(LoaderBatch& batch) {
    using Kind = LoaderBatch::Kind;
    std::vector<ItemRef> added;
    switch (batch.kind) {
    case Kind::cached:
        for (LoadedContact& loaded : batch.contacts) {
            if (byObjectId_.count(loaded.record.objectId))
                continue; // a damaged cache listing a contact twice
            loaded.record.valid = false;
            ItemRef item =
                makeItem<ContactListItem>(std::move(loaded.record), std::move(loaded.keys));
            auto* contact = static_cast<ContactListItem*>(item.get());
            remember(contact);
            addSeparatorFor(*contact, added);
            added.push_back(std::move(item));
        }
        mergeIn(std::move(added));
        break;
    case Kind::stored: {
        bool changed = false;
        std::unordered_set<const IListItem*> moved; // rows whose sort key changed
        std::vector<const IListItem*> pictured;     // rows whose picture changed
        for (LoadedContact& loaded : batch.contacts) {
            if (ContactListItem* existing = findByObjectId(loaded.record.objectId)) {
                if (existing->searchKeys().collation != loaded.keys.collation)
                    moved.insert(existing);
                loaded.record.valid = existing->isValid(); // compared without it
                changed |= !(existing->record() == loaded.record);
                loaded.record.valid = true;
                existing->setRecord(std::move(loaded.record), std::move(loaded.keys));
                if (existing->pictureBytes() != loaded.picture) {
                    pictured.push_back(existing);
                    existing->setPictureBytes(std::move(loaded.picture));
                }
                if (moved.count(existing))
                    addSeparatorFor(*existing, added);
                continue;
            }
            loaded.record.valid = true;
            ItemRef item =
                makeItem<ContactListItem>(std::move(loaded.record), std::move(loaded.keys));
            auto* contact = static_cast<ContactListItem*>(item.get());
            contact->setPictureBytes(std::move(loaded.picture));
            remember(contact);
            addSeparatorFor(*contact, added);
            added.push_back(std::move(item));
        }
        // Moved rows leave their places and merge in again with the new ones: a pass
        // over the list, only for a batch that renamed someone.
        if (!moved.empty())
            std::erase_if(allItemsRef(), [&](ItemRef& ref) {
                if (!moved.count(ref.get()))
                    return false;
                added.push_back(std::move(ref));
                return true;
            });
        const bool reordered = !added.empty() || !moved.empty();
        if (!added.empty())
            mergeIn(std::move(added));
        if (changed || !moved.empty())
            refilter();
        return reordered || changed || anyOnScreen(pictured);
    }
    case Kind::cacheDone:
        refilter();
        break;
    case Kind::storeDone:
        // What stayed unconfirmed is gone, a renamed contact's old letter may be empty,
        // and the filter meets everything again.
        removeUnconfirmed();
        dropEmptySeparators();
        setCursorIndex(-1);
        refilter();
        break;
    case Kind::finished:
        loaderBusy_ = false;
        break;
    }
    return true;
}

// ---- items ----

void ContactSmartListControl::remember(ContactListItem* item) {
    if (item->kind() == ContactListItem::Kind::sms)
        smsByNumber_[reduceNumber(item->record().preferredNumber())] = item;
    else if (item->objectId() != noObjectId)
        byObjectId_[item->objectId()] = item;
}

void ContactSmartListControl::forget(const ContactListItem* item) {
    if (item->kind() == ContactListItem::Kind::sms) {
        auto found = smsByNumber_.find(reduceNumber(item->record().preferredNumber()));
        if (found != smsByNumber_.end() && found->second == item)
            smsByNumber_.erase(found);
    } else {
        auto found = byObjectId_.find(item->objectId());
        if (found != byObjectId_.end() && found->second == item)
            byObjectId_.erase(found);
    }
}

void ContactSmartListControl::addSeparatorFor(const ContactListItem& item,
                                              std::vector<ItemRef>& added) {
    char16_t letter = item.indexLetter();
    if (item.kind() != ContactListItem::Kind::contact || letter == u' ' ||
        !separatorLetters_.insert(letter).second)
        return;
    if (!SettingManager::instance().options().showContactSeparator)
        return;
    const std::u16string* letters =
        SettingStore::instance().resolve(u"searchindex", u"indexcontactsearch", u"indexletter");
    if (letters && letters->find(letter) != std::u16string::npos)
        added.push_back(makeItem<ContactSeparatorItem>(letter));
}

void ContactSmartListControl::mergeIn(std::vector<ItemRef> added) {
    if (added.empty())
        return;
    std::stable_sort(added.begin(), added.end(), [](const ItemRef& a, const ItemRef& b) {
        return comesBefore(sortKeyOf(a.get()), sortKeyOf(b.get()));
    });
    std::vector<ItemRef>& all = allItemsRef();
    // NOTE: the cache, and mostly the store, hand rows over in the list's order, so a
    // batch usually goes after every row there is. It is then appended and only its
    // own rows meet the filter, at a cost of the batch alone; the loader's end of each
    // step runs the filter over everything again (limit and arrangement included).
    if (isLoading() && typed_.empty() &&
        (all.empty() || !comesBefore(sortKeyOf(added.front().get()), sortKeyOf(all.back().get())))) {
        for (ItemRef& item : added)
            appendItem(std::move(item));
        return;
    }
    for (ItemRef& item : added)
        item->updateHeight(*this);
    // NOTE: each new row finds its place by binary search and the rows between places
    // move as pointers, so a batch of k rows costs k log n key reads and one pass of
    // pointer moves, never a sort of the whole list or a key read per existing row.
    std::vector<ItemRef> merged;
    merged.reserve(all.size() + added.size());
    auto from = all.begin();
    for (ItemRef& item : added) {
        SortKey key = sortKeyOf(item.get());
        // After the rows with an equal key: what was there first stays first.
        auto at = std::upper_bound(from, all.end(), key, [](const SortKey& k, const ItemRef& row) {
            return comesBefore(k, sortKeyOf(row.get()));
        });
        std::move(from, at, std::back_inserter(merged));
        merged.push_back(std::move(item));
        from = at;
    }
    std::move(from, all.end(), std::back_inserter(merged));
    all = std::move(merged);
    refilter();
}

void ContactSmartListControl::removeItem(IListItem* item) {
    ItemRef keep(item);
    if (auto* contact = dynamic_cast<ContactListItem*>(item))
        forget(contact);
    std::erase(shownItemsRef(), item);
    std::erase_if(allItemsRef(), [item](const ItemRef& ref) { return ref.get() == item; });
    setCursorIndex(-1);
    resetContentHeight();
}

void ContactSmartListControl::removeUnconfirmed() {
    std::vector<ItemRef> gone;
    std::erase_if(allItemsRef(), [this, &gone](ItemRef& ref) {
        auto* contact = dynamic_cast<ContactListItem*>(ref.get());
        if (!contact || contact->kind() != ContactListItem::Kind::contact || contact->isValid())
            return false;
        forget(contact);
        gone.push_back(std::move(ref));
        return true;
    });
    // The shown rows still point at them until the filter runs again.
    shownItemsRef().clear();
    numberEntriesShown_ = false;
}

void ContactSmartListControl::dropEmptySeparators() {
    std::vector<ItemRef>& all = allItemsRef();
    std::vector<ItemRef> kept;
    kept.reserve(all.size());
    for (size_t i = 0; i < all.size(); ++i) {
        if (auto* separator = dynamic_cast<ContactSeparatorItem*>(all[i].get())) {
            // Kept while a contact of its letter stands under it, before the next
            // header; contacts of letters without a header ("Čapek" under "C") do not
            // count.
            bool used = false;
            for (size_t j = i + 1; j < all.size() && !used; ++j) {
                if (dynamic_cast<ContactSeparatorItem*>(all[j].get()))
                    break;
                const ContactListItem* contact = asContact(all[j].get());
                used = contact && contact->indexLetter() == separator->indexLetter();
            }
            if (!used) {
                // A later contact of this letter brings its header back.
                separatorLetters_.erase(separator->indexLetter());
                continue;
            }
        }
        kept.push_back(std::move(all[i]));
    }
    all = std::move(kept);
}

ContactListItem* ContactSmartListControl::findByObjectId(uint32_t objectId) const {
    auto found = byObjectId_.find(objectId);
    return found == byObjectId_.end() ? nullptr : found->second;
}

ContactListItem* ContactSmartListControl::findByNumber(std::u16string_view number) const {
    auto sms = smsByNumber_.find(reduceNumber(number));
    if (sms != smsByNumber_.end())
        return sms->second;
    for (const ItemRef& ref : allItems())
        if (auto* contact = dynamic_cast<ContactListItem*>(ref.get());
            contact && contact->matchesNumber(number))
            return contact;
    return nullptr;
}

ContactListItem* ContactSmartListControl::addSmsContact(std::u16string_view sender,
                                                        std::u16string_view number, bool unread) {
    ItemRef item =
        makeItem<SmsContactListItem>(sender, number, unread, interfaceText(u"servicemessage.text"));
    auto* contact = static_cast<ContactListItem*>(item.get());
    remember(contact);
    std::vector<ItemRef> added;
    added.push_back(std::move(item));
    mergeIn(std::move(added));
    return contact;
}

void ContactSmartListControl::addSmsContacts(std::vector<ItemRef> rows) {
    for (const ItemRef& row : rows)
        if (auto* contact = asContact(row.get()))
            remember(contact);
    mergeIn(std::move(rows));
}

void ContactSmartListControl::mergeSmsRowsInto(ContactListItem& contact) {
    std::vector<IListItem*> merged;
    for (const PhoneEntry& phone : contact.record().phones) {
        for (const ItemRef& ref : allItems()) {
            auto* sms = dynamic_cast<ContactListItem*>(ref.get());
            if (!sms || sms->kind() != ContactListItem::Kind::sms ||
                !sms->matchesNumber(phone.number) ||
                std::find(merged.begin(), merged.end(), sms) != merged.end())
                continue;
            ContactCounters& to = contact.counters();
            const ContactCounters& from = sms->counters();
            to.unread += from.unread;
            to.messages += from.messages;
            to.calls += from.calls;
            to.newCalls += from.newCalls;
            if (from.newestTime >= to.newestTime) {
                to.newestTime = from.newestTime;
                to.newestIsCall = from.newestIsCall;
                to.lastMessage = from.lastMessage;
            }
            merged.push_back(sms);
        }
    }
    for (IListItem* sms : merged)
        removeItem(sms);
}

void ContactSmartListControl::loadPicture(ContactListItem& item) {
    if (store_)
        item.setPictureBytes(store_->loadPictureBytes(item.objectId()));
}

void ContactSmartListControl::contactChanged(uint32_t objectId) {
    if (!store_)
        return;
    ContactRecord record;
    store_->loadFromItem(record, objectId, ContactTemplates::fromSettings(*this));
    if (record.objectId != objectId)
        return; // gone again before we looked
    SearchKeys keys = makeSearchKeys(record);
    ContactListItem* contact = findByObjectId(objectId);
    if (contact) {
        contact->setRecord(std::move(record), std::move(keys));
        resort();
    } else {
        ItemRef item = makeItem<ContactListItem>(std::move(record), std::move(keys));
        contact = static_cast<ContactListItem*>(item.get());
        remember(contact);
        std::vector<ItemRef> added;
        addSeparatorFor(*contact, added);
        added.push_back(std::move(item));
        mergeIn(std::move(added));
    }
    mergeSmsRowsInto(*contact);
    loadPicture(*contact);
    refilter();
    invalidate(rect());
}

void ContactSmartListControl::contactDeleted(uint32_t objectId) {
    // Looked up among all rows: a contact hidden by the filter must not come back when
    // the filter changes.
    ContactListItem* contact = findByObjectId(objectId);
    if (!contact)
        return;
    if (shownIndexOf(contact) >= 0 && isVisible() && platform::isWindowVisible(window())) {
        AnimationList animations;
        animations.push_back(std::make_unique<ItemHeightAnimation>(*contact, *this, 0));
        runAnimations(window(), std::move(animations));
    }
    removeItem(contact);
    dropEmptySeparators();
    refilter();
    invalidate(rect());
}

// ---- order and filter ----

void ContactSmartListControl::resort() {
    std::vector<std::pair<SortKey, ItemRef>> keyed;
    keyed.reserve(allItems().size());
    for (ItemRef& ref : allItemsRef()) {
        SortKey key = sortKeyOf(ref.get());
        keyed.emplace_back(key, std::move(ref));
    }
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return comesBefore(a.first, b.first); });
    std::vector<ItemRef>& all = allItemsRef();
    all.clear();
    for (auto& entry : keyed)
        all.push_back(std::move(entry.second));
    setCursorIndex(-1);
    refilter();
}

void ContactSmartListControl::refilter() {
    std::vector<IListItem*>& shown = shownItemsRef();
    shown.clear();
    numberEntriesShown_ = false;
    ISmartListFilter* current = filter();
    const size_t limit =
        current ? static_cast<size_t>(std::max(current->itemLimit(), 0)) : allItems().size();
    for (const ItemRef& ref : allItems()) {
        if (current && !current->match(*ref))
            continue;
        shown.push_back(ref.get());
        if (shown.size() > limit)
            break;
    }
    if (current)
        current->arrange(*this, shown);
    placeNumberEntries();
    if (cursorIndex() >= static_cast<int>(shown.size()))
        setCursorIndex(-1);
    resetContentHeight();
    setScrollOffset(scrollOffset());
}

void ContactSmartListControl::resetFilter() {
    for (const ItemRef& ref : allItems())
        ref->setSelected(false);
    setFilter(std::make_unique<AllContactsFilterItem>());
}

void ContactSmartListControl::setFilter(std::unique_ptr<ISmartListFilter> filter) {
    SmartListControl::setFilter(std::move(filter));
    // The filter ran over all items, which hold no number entries.
    numberEntriesShown_ = false;
    if (placeNumberEntries())
        resetContentHeight();
}

bool ContactSmartListControl::placeNumberEntries() {
    std::vector<IListItem*>& shown = shownItemsRef();
    // NOTE: looked for only when placed: a pass over 100,000 shown rows per entry is
    // most of what a key that shows them all would cost.
    const bool wereShown = std::exchange(numberEntriesShown_, false);
    if (wereShown)
        for (const ItemRef& entry : numberEntries_)
            std::erase(shown, entry.get());
    if (typed_.empty() || !isDialable(typed_))
        return wereShown;
    numberEntriesShown_ = true;
    for (size_t i = 0; i < std::size(numberEntries_); ++i) {
        auto& entry = static_cast<ControlItem&>(*numberEntries_[i]);
        static_cast<Button&>(entry.control()).setTextArgument(typed_);
        entry.updateHeight(*this);
        shown.insert(shown.begin() + static_cast<ptrdiff_t>(i), &entry);
    }
    return true;
}

// ---- typing ----

Rect ContactSmartListControl::onKey(int virtualKey, char16_t character) {
    const bool printable = virtualKey == 0 && character >= 0x20 && character != 0x7F;
    const bool backspace =
        virtualKey == int(platform::key::back) || (virtualKey == 0 && character == 8);
    const bool special = virtualKey == padKeyOther;
    if (!printable && !backspace && !special)
        return SmartListControl::onKey(virtualKey, character);
    const uint32_t now = platform::tickCount();
    if (now - lastKeyTick_ >= typingRestartMs)
        typed_.clear();
    lastKeyTick_ = now;
    if (printable)
        typed_ += character;
    else if (backspace && !typed_.empty())
        typed_.pop_back();
    onTyped();
    return rect();
}

void ContactSmartListControl::onTyped() {
    if (typed_.empty()) {
        resetFilter();
    } else {
        std::shared_ptr<const PhoneKeyMap> keys = PhoneKeyMap::current();
        if (keys->version() == 0) {
            // No pad has published its keys yet: the main pad's setting stands for them.
            if (const std::u16string* map =
                    SettingStore::instance().resolve(u"phonepad", u"phonepad", u"keys.map"))
                PhoneKeyMap::publish(*map);
            keys = PhoneKeyMap::current();
        }
        setFilter(std::make_unique<LettersFilterItem>(typed_, std::move(keys)));
    }
    setScrollOffset(-marginTop());
    invalidate(rect());
}

bool ContactSmartListControl::reachesLetter(const IListItem& item, char16_t letter) const {
    SortKey key = sortKeyOf(&item);
    if (key.empty || !key.bytes)
        return false;
    std::string letterKey = collationKey(std::u16string_view(&letter, 1));
    return *key.bytes >= letterKey;
}

// ---- clicks ----

void ContactSmartListControl::route(std::u16string text) {
    lastRoute_ = std::move(text);
}

std::u16string ContactSmartListControl::messageNumber(const ContactListItem& item) const {
    const std::vector<PhoneEntry>& phones = item.record().phones;
    for (const PhoneEntry& phone : phones)
        if (phone.propertyId == prop::mobile)
            return phone.number;
    std::u16string prefixes = interfaceText(u"sms.number.prefix");
    for (const PhoneEntry& phone : phones) {
        std::u16string digits = digitsAndPlus(phone.number);
        size_t from = 0;
        while (from <= prefixes.size()) {
            size_t comma = prefixes.find(u',', from);
            std::u16string_view prefix = std::u16string_view(prefixes).substr(from, comma - from);
            if (!prefix.empty() && std::u16string_view(digits).starts_with(prefix))
                return phone.number;
            if (comma == std::u16string::npos)
                break;
            from = comma + 1;
        }
    }
    return phones.empty() ? std::u16string() : phones.front().number;
}

void ContactSmartListControl::openItem(IListItem* item) {
    platform::updateWindow(window());
    auto* contact = dynamic_cast<ContactListItem*>(item);
    if (!contact)
        return;
    if (contact->kind() == ContactListItem::Kind::newContact) {
        route(u"newcontact");
        if (routes_.newContact)
            routes_.newContact(contact);
        return;
    }
    if (contact->kind() != ContactListItem::Kind::sms && !dynamic_cast<SmsFilterItem*>(filter())) {
        route(u"detail " + contact->record().firstLine);
        if (routes_.openDetail)
            routes_.openDetail(*contact);
        return;
    }
    std::u16string number = messageNumber(*contact);
    route(u"conversation " + number);
    if (routes_.openConversation)
        routes_.openConversation(*contact, number);
}

void ContactSmartListControl::callItem(IListItem* item) {
    auto* contact = dynamic_cast<ContactListItem*>(item);
    if (!contact || contact->record().phones.empty())
        return;
    std::u16string number(contact->record().preferredNumber());
    route(u"call " + number);
    if (routes_.callContact)
        routes_.callContact(*contact, number);
}

// ---- control functions ----

void ContactSmartListControl::reloadSettings() {
    SmartListControl::reloadSettings();
    look_.reset();
    for (const ItemRef& entry : numberEntries_) {
        entry->reloadSettings();
        entry->updateHeight(*this);
    }
}

void ContactSmartListControl::describe(DumpWriter& out) const {
    SmartListControl::describe(out);
    out.add("total", static_cast<int>(allItems().size()));
    // The row at the list's top edge: where a letter jump or a scroll has taken the view.
    int top = 0;
    for (const IListItem* item : shownItems()) {
        if (top + item->height() > scrollOffset()) {
            if (auto* contact = dynamic_cast<const ContactListItem*>(item))
                out.add("top", std::u16string_view(contact->record().firstLine));
            else if (auto* separator = dynamic_cast<const SeparatorItem*>(item))
                out.add("top", std::u16string_view(separator->text()));
            break;
        }
        top += item->height();
    }
    DumpValue::Array names;
    for (const IListItem* item : shownItems())
        if (auto* contact = dynamic_cast<const ContactListItem*>(item))
            names.emplace_back(contact->record().firstLine);
    out.add("names", DumpValue(std::move(names)));
    out.add("typed", std::u16string_view(typed_));
    out.add("route", std::u16string_view(lastRoute_));
    out.add("loading", isLoading());
    if (filter())
        out.add("filter", std::u16string_view(filter()->label()));
    out.add("filterKind", filterKindName(filter()));
    // The rows the filter leaves out, so a script can tell hidden from gone; bounded,
    // as a dump is read by scripts, not meant to list a whole address book.
    constexpr int hiddenLimit = 500;
    const std::unordered_set<const IListItem*> shown(shownItems().begin(), shownItems().end());
    int hidden = 0;
    for (const ItemRef& ref : allItems()) {
        if (shown.count(ref.get()))
            continue;
        if (++hidden > hiddenLimit)
            continue;
        DumpValue entry = DumpValue::object();
        DumpWriter writer(*entry.asObject());
        ref->describe(writer);
        out.append("hidden", std::move(entry));
    }
    out.add("hiddenCount", hidden);
}

} // namespace vantrel
