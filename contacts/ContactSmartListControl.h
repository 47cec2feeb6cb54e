#pragma once
// The contact list of the main screen: every contact in the user's collation order
// with a separator before each index letter, "<New Contact>" on top, typed search that
// starts again after four seconds without a key, call/SMS/add entries for a typed
// number, and the taps that open a contact, its conversation or a new contact.
//
// The full load runs on the contact loader's thread (ContactLoader); its records reach
// this list on the user-interface thread, which alone inserts, removes, sorts and
// filters. New records are sorted among themselves and merged into the list in one
// pass, so the list grows while the store is read without a full sort per step.
//
// Index: loading, items and store notifications, order and filter, typing, clicks,
// control functions.

#include "contacts/ContactListItem.h"
#include "contacts/ContactLoader.h"
#include "lists/SmartListControl.h"

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace vantrel {

class ContactStoreAccess;

// Where taps on the list lead. The screens behind them are the program's; an empty
// function does nothing beyond recording the route.
struct ContactRoutes {
    std::function<void(ContactListItem&)> openDetail;
    // The item and the number its messages go to.
    std::function<void(ContactListItem&, const std::u16string&)> openConversation;
    // "<New Contact>", or an SmsContactListItem to be made a contact.
    std::function<void(ContactListItem*)> newContact;
    std::function<void(const std::u16string&)> call;
    std::function<void(const std::u16string&)> sms;
    std::function<void(const std::u16string&)> addContact;
    // The call slot: a contact with phones and its preferred number.
    std::function<void(ContactListItem&, const std::u16string&)> callContact;
};

class ContactSmartListControl : public SmartListControl {
public:
    // Posted by the loader when records wait (user + 1001); it carries nothing.
    static constexpr uint32_t loaderMessage = 0x0400 + 1001;
    // A typed key after this long starts a new search.
    static constexpr uint32_t typingRestartMs = 4000;
    // The phone pad's special key; it adds nothing to the typed text. (The pad's other
    // special code, -2, is the index strip's letter key and jumps to the letter.)
    static constexpr int padKeyOther = -3;

    ContactSmartListControl(platform::WindowHandle window, std::u16string name = u"contactlist");
    ~ContactSmartListControl() override;

    // The row look of a contact list; a list of another kind gets a look of its own.
    static ContactItemLook& itemLookOf(SmartListControl& list);

    // ---- loading ----

    void setStore(std::shared_ptr<ContactStoreAccess> store) { store_ = std::move(store); }
    ContactStoreAccess* store() const { return store_.get(); }
    // The start-loading slot: "<New Contact>" and a full load on the loader's thread.
    virtual void startLoading();
    // Takes what the loader queued and applies it; the wake-up message calls it.
    void onLoaderMessage();
    bool isLoading() const { return loader_ && loaderBusy_; }
    // Stops the loader and waits for it.
    void stopLoading();

    // ---- items and store notifications ----

    ContactListItem* findByObjectId(uint32_t objectId) const;
    // The first contact row whose numbers match (index of SMS-only rows first).
    ContactListItem* findByNumber(std::u16string_view number) const;
    // A contact was created or changed in the store: refilled, or added; SMS-only rows
    // for its numbers merge into it.
    void contactChanged(uint32_t objectId);
    // A contact was deleted: its row collapses and goes, whether shown or filtered out.
    void contactDeleted(uint32_t objectId);
    // Adds a row for messages from a number that matches no contact.
    ContactListItem* addSmsContact(std::u16string_view sender, std::u16string_view number,
                                   bool unread);
    // Adds many such rows (SmsContactListItems) in one merge.
    void addSmsContacts(std::vector<ItemRef> rows);

    // ---- order and filter ----

    // The re-sort slot: every item by sort key, then the filter again.
    void resort();
    // Runs the current filter over all items again, keeping the scroll position.
    void refilter();
    // An AllContactsFilterItem; the selection goes.
    void resetFilter();
    // The base behaviour, then the number entries go on top while a number is typed.
    void setFilter(std::unique_ptr<ISmartListFilter> filter) override;

    // ---- typing ----

    const std::u16string& typedText() const { return typed_; }

    // ---- clicks ----

    void setRoutes(ContactRoutes routes) { routes_ = std::move(routes); }
    // What the last tap led to ("detail Anna", "conversation +4179..."), for scripts.
    const std::u16string& lastRoute() const { return lastRoute_; }
    // Runs what a tap on the row does (ContactItemClickAction).
    void openItem(IListItem* item);
    // The number a conversation with the contact uses: its mobile, else the first
    // number with one of the "sms.number.prefix" prefixes, else its first number.
    std::u16string messageNumber(const ContactListItem& item) const;
    // The call slot: the preferred number of a contact with phones.
    void callItem(IListItem* item);

    // ---- control functions ----

    platform::Rect onKey(int virtualKey, char16_t character) override;
    // In the collation order of the rows: "Álvarez" comes before the jump to "B".
    bool reachesLetter(const IListItem& item, char16_t letter) const override;
    void reloadSettings() override;
    // Offset, shown and filtered-out rows, typed text, the last route.
    void describe(DumpWriter& out) const override;

private:
    // True when what the list shows may have changed.
    bool apply(LoaderBatch& batch);
    // True when one of the rows is on screen.
    bool anyOnScreen(const std::vector<const IListItem*>& items) const;
    // Paints the list at once when a load has just brought its first rows.
    void paintFirstRows();
    // New rows (contacts and separators) go into all items in order.
    void mergeIn(std::vector<ItemRef> added);
    // A separator before the first contact of a letter, when the letter is an index
    // letter and separators are on.
    void addSeparatorFor(const ContactListItem& item, std::vector<ItemRef>& added);
    void removeItem(IListItem* item);
    // Takes the contacts that the store pass did not confirm out of the list; the
    // shown rows are emptied, for the filter to run again.
    void removeUnconfirmed();
    // A letter's header goes with the last contact under it.
    void dropEmptySeparators();
    void mergeSmsRowsInto(ContactListItem& contact);
    void remember(ContactListItem* item);
    void forget(const ContactListItem* item);
    // Puts the number entries on top of the shown rows while a number is typed; true
    // when the shown rows changed.
    bool placeNumberEntries();
    void onTyped();
    void route(std::u16string text);
    LoaderSettings loaderSettings();
    void loadPicture(ContactListItem& item);

    std::shared_ptr<ContactStoreAccess> store_;
    std::unique_ptr<ContactLoader> loader_;
    bool loaderBusy_ = false;
    bool firstRowsPainted_ = false;
    ContactItemLook look_;
    ContactRoutes routes_;
    std::u16string lastRoute_;

    // Contacts by object id, and SMS-only rows by reduced number.
    std::unordered_map<uint32_t, ContactListItem*> byObjectId_;
    std::unordered_map<std::u16string, ContactListItem*> smsByNumber_;
    std::unordered_set<char16_t> separatorLetters_;

    std::u16string typed_;
    uint32_t lastKeyTick_ = 0;
    ItemRef numberEntries_[3];
    bool numberEntriesShown_ = false;
};

} // namespace vantrel
