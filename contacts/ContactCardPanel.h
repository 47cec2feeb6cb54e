#pragma once
// The contact's card: every field the store holds for it, read-only, one row a field
// ("Mobile: +41 79 ...", "Home Address: street, city, ..."), under the contact's name.
// It stands where the phone showed its own contact card, and closes with OK.

#include "ui/SimpleDialog.h"

#include <string>
#include <utility>
#include <vector>

namespace vantrel {

namespace platform::pim {
class Item;
}

class SmartListControl;

class ContactCardPanel : public SimpleDialog {
public:
    // One row: its caption (a setting's text) and the value.
    using Field = std::pair<std::u16string, std::u16string>;

    // The rows of a stored contact, in the order of the contact editor's fields; empty
    // values are left out.
    static std::vector<Field> fieldsOf(const platform::pim::Item& item);
    // Opens the card of `item` titled `title` over the active page.
    static ContactCardPanel* open(platform::WindowHandle window, const platform::pim::Item& item,
                                  const std::u16string& title);

    ContactCardPanel(platform::WindowHandle window, std::u16string title,
                     std::vector<Field> fields);

private:
    SmartListControl* list_;
};

} // namespace vantrel
