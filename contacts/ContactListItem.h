#pragma once
// The rows of the contact lists. A ContactListItem shows one contact: its first and
// second line, its picture, its favourite mark, and its message and call counters with
// a mark for the newest event. NewContactListItem is the "<New Contact>" row at the top;
// SmsContactListItem stands for messages and calls from a number that matches no
// contact. Items belong to the user-interface thread: the loader hands over records,
// never items.
//
// The boxes, fonts and backgrounds of the rows are resolved once per list into a
// ContactItemLook and kept until the list reloads its settings.

#include "contacts/ContactRecord.h"
#include "contacts/ContactSearchKeys.h"
#include "lists/BaseItem.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vantrel {

class Background;
class Box;
class Font;
class Image;
class LightControl;

// The message and call counters of a row, written by the message and call counting.
struct ContactCounters {
    int unread = 0;
    int messages = 0;
    int calls = 0;
    // Calls counted since the last full recount.
    int newCalls = 0;
    // File time of the newest counted message or call.
    int64_t newestTime = 0;
    bool newestIsCall = false;
    std::u16string lastMessage;
};

// The looks of contact rows for one list, resolved on first use.
class ContactItemLook {
public:
    const Box* firstLineBox = nullptr;
    const Box* secondLineBox = nullptr;
    const Box* pictureBox = nullptr;
    const Box* pictureFavoriteBox = nullptr;
    const Box* favoriteBox = nullptr;
    const Box* smsCountBox = nullptr;
    const Box* pictureSmsCountBox = nullptr;
    const Box* lastCallBox = nullptr;
    const Box* lastSmsBox = nullptr;
    const Font* firstLineFont = nullptr;
    const Font* firstLineHighlightedFont = nullptr;
    const Font* secondLineFont = nullptr;
    const Font* secondLineHighlightedFont = nullptr;
    const Font* smsCountFont = nullptr;
    const Background* favoriteBackground = nullptr;
    const Background* lastCallBackground = nullptr;
    const Background* lastSmsBackground = nullptr;

    // Resolves everything for `list` (its type and instance name) unless done.
    void resolve(const LightControl& list);
    // After a cache clear of the store.
    void reset() { resolved_ = false; }

private:
    bool resolved_ = false;
};

// Digits and "+" of a number, then its last 8 characters.
std::u16string reduceNumber(std::u16string_view number);

class ContactListItem : public BaseItem {
public:
    enum class Kind { contact, newContact, sms };

    // Works out the search keys on the calling thread.
    explicit ContactListItem(ContactRecord record);
    ContactListItem(ContactRecord record, SearchKeys keys);
    ~ContactListItem() override;

    virtual Kind kind() const { return Kind::contact; }
    int paint(PaintContext& context, const platform::Rect& rect, const platform::Rect& clip,
              bool highlighted) override;
    // The first character of the sort key; a digit counts as "#".
    char16_t indexLetter() const override;
    // Type, both lines, counters, favourite.
    void describe(DumpWriter& out) const override;
    // True when one of the contact's numbers is the same number as `number` (both reduced
    // to their last eight digits, or one containing the other when long enough).
    // A number given as empty text matches no contact.
    virtual bool matchesNumber(std::u16string_view number) const;

    const ContactRecord& record() const { return record_; }
    // Replaces the record; its search keys go with it.
    void setRecord(ContactRecord record, SearchKeys keys);
    // The sort key as ICU collation bytes, the lower-cased first line, the digits.
    const SearchKeys& searchKeys() const { return keys_; }
    ContactCounters& counters() { return counters_; }
    const ContactCounters& counters() const { return counters_; }
    bool isFavorite() const { return record_.favorite; }
    void setFavorite(bool on) { record_.favorite = on; }
    bool isValid() const { return record_.valid; }
    void setValid(bool on) { record_.valid = on; }
    uint32_t objectId() const { return record_.objectId; }
    // The decoded picture when one is at hand: one set with setPicture, or the picture
    // bytes as last drawn (ContactPictureCache); null otherwise.
    const Image* picture() const;
    // A decoded picture, drawn as it is, in place of any picture bytes; null removes the
    // picture.
    void setPicture(std::unique_ptr<Image> picture);
    // The store's compressed picture, decoded when the row is first drawn; empty bytes
    // remove the picture.
    void setPictureBytes(std::vector<uint8_t> bytes);
    const std::vector<uint8_t>& pictureBytes() const { return pictureBytes_; }
    bool hasPicture() const { return picture_ || !pictureBytes_.empty(); }

protected:
    const char* kindName() const;
    // One of the numbers matches a number already normalised.
    bool matchesNormalized(std::u16string_view normalized) const;

private:
    SearchKeys keys_;
    ContactRecord record_;
    ContactCounters counters_;
    std::unique_ptr<Image> picture_;
    std::vector<uint8_t> pictureBytes_;
};

// "<New Contact>": first line from "newcontact.text", an empty sort key (so it comes
// first), never cached.
class NewContactListItem : public ContactListItem {
public:
    explicit NewContactListItem(std::u16string text);
    Kind kind() const override { return Kind::newContact; }
    bool matchesNumber(std::u16string_view) const override { return false; }
};

// Messages or calls from a number that matches no contact: "<sender>" over the number,
// sorted after the contacts ("ZZ" + sender), never cached.
class SmsContactListItem : public ContactListItem {
public:
    // `serviceText` names a sender whose number has no digits.
    SmsContactListItem(std::u16string_view sender, std::u16string_view number, bool unread,
                       std::u16string_view serviceText);
    Kind kind() const override { return Kind::sms; }
    // The contact rule without its first step: senders whose address holds no digit
    // (operators, services) all match the row whose number has none.
    bool matchesNumber(std::u16string_view number) const override;
};

// The row as a contact row, or null for any other row. NOTE: filters and the sort ask
// this of every row of the list at each keystroke; an exact type test costs a
// fraction of a dynamic_cast, which matters at 100,000 rows.
const ContactListItem* asContact(const IListItem* item);
ContactListItem* asContact(IListItem* item);

} // namespace vantrel
