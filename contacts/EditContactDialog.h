#pragma once
// The contact editor: one page of labelled rows, each a property of the contact, in
// sections; some rows offer choices (companies, cities, categories of the other
// contacts, countries, ringtones). OK writes the changed rows in one change set and one
// save; Cancel writes nothing.

#include "platform/pim/PropValue.h"
#include "ui/SimpleDialog.h"

#include <memory>
#include <string_view>
#include <vector>

namespace vantrel {

namespace platform::pim {
class Item;
}
class ContactStoreAccess;
class EditControl;
class SmartListControl;

class EditContactDialog : public SimpleDialog {
public:
    // `item` is the contact to edit (a new, unsaved one for a new contact); `contacts`
    // is the list whose contacts give the choices, null for none. Every row shows the
    // item's current value.
    EditContactDialog(platform::WindowHandle window, std::unique_ptr<platform::pim::Item> item,
                      const SmartListControl* contacts);
    ~EditContactDialog() override;

    // The values OK writes, in row order: the rows the user changed (typed into or
    // picked a choice for). A date row gives the day it reads as, or a deletion when it
    // is empty or no date.
    std::vector<platform::pim::PropValue> changeSet() const;
    // Writes the change set and saves, then closes. A write that fails (the contact was
    // deleted by another program, the disk is full) is reported; the page stays open
    // with what was typed, and the store keeps what it had.
    void onOk() override;

    // The row of that name; the first of two (the home address before the work one).
    EditControl* row(std::u16string_view name) const;
    SmartListControl* list() const { return list_; }
    void describe(DumpWriter& out) const override;

private:
    struct Row {
        EditControl* control;
        platform::pim::PropId id;
        bool picked = false; // a choice was put in
    };

    std::unique_ptr<platform::pim::Item> item_;
    SmartListControl* list_;
    std::vector<Row> rows_;
};

// Opens the editor over the current screen for the stored contact with that object id.
// False, and nothing opens, when the contact cannot be read.
bool goToEditContact(platform::WindowHandle window, ContactStoreAccess& store, uint32_t objectId,
                     const SmartListControl* contacts);
// Opens the editor on a new contact, which its OK stores. `staged` are values already
// set on it (a number to add). False when the store cannot create one.
bool goToNewContact(platform::WindowHandle window, ContactStoreAccess& store,
                    const SmartListControl* contacts,
                    std::vector<platform::pim::PropValue> staged = {});

} // namespace vantrel
