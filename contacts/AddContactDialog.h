#pragma once
// Adding a number to the contacts: the page lists the contacts ("<New Contact>" first,
// senders without a contact left out) beside the main list's letter index strip;
// choosing one lists its telephone types, each
// offering to add the number as that type or to replace the number it has. An existing
// contact is written at once; a new one opens in the editor with the number set.

#include "lists/BaseItem.h"
#include "ui/SimpleDialog.h"

#include <string>

namespace vantrel {

class ContactListItem;
class ContactSmartListControl;
class ContactStoreAccess;
class LeftSearchPanel;
class SmartListControl;

// One telephone type of the chosen contact: its property and the number the contact
// has for it (empty when none).
class SimplePhoneItem : public SimpleItem {
public:
    SimplePhoneItem(std::u16string text, uint32_t propertyId, std::u16string number)
        : SimpleItem(std::move(text)), propertyId_(propertyId), number_(std::move(number)) {}
    uint32_t propertyId() const { return propertyId_; }
    const std::u16string& number() const { return number_; }

private:
    uint32_t propertyId_;
    std::u16string number_;
};

class AddContactDialog : public SimpleDialog {
public:
    // `store` and `contacts` (the main list) outlive the page.
    AddContactDialog(platform::WindowHandle window, ContactStoreAccess& store,
                     const SmartListControl& contacts, std::u16string number);
    ~AddContactDialog() override;

    // Shows the telephone types of that contact in place of the contacts and their
    // strip.
    void chooseContact(ContactListItem& contact);
    // Writes the number as that type: into the chosen contact and closes, or into a new
    // contact that then opens in the editor. A contact that cannot be fetched or created
    // closes the page without writing; a write that fails is reported and the page
    // stays.
    void chooseType(const SimplePhoneItem& type);

    ContactSmartListControl* contactList() const { return contacts_; }
    LeftSearchPanel* indexStrip() const { return strip_; }
    SmartListControl* phoneTypes() const { return types_; }
    void describe(DumpWriter& out) const override;

private:
    ContactStoreAccess& store_;
    const SmartListControl& mainList_;
    std::u16string number_;
    ContactSmartListControl* contacts_ = nullptr;
    LeftSearchPanel* strip_ = nullptr;
    SmartListControl* types_ = nullptr;
    uint32_t chosenId_ = 0;
    bool chosenIsNew_ = false;
};

// Opens the page over the current screen for that number.
void goToAddContact(platform::WindowHandle window, ContactStoreAccess& store,
                    const SmartListControl& contacts, std::u16string number);

} // namespace vantrel
